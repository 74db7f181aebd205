#include "lumotools/formula/ex_fun_table.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// A table whose registration is open to the tests.
class OpenTable : public CExFunTable {
 public:
  using CExFunTable::_RegistFun;
};

// Counts its destructions; answers with a fixed text.
class CountingFunctor : public CScriptFunctor {
 public:
  CountingFunctor(int* destroyed, const char* answer) : destroyed_(destroyed), answer_(answer) {}
  ~CountingFunctor() override { ++*destroyed_; }
  int GetArgCount() const override { return 0; }
  CString Invoke(const CString&, const CString&, const CString&, const CString&,
                 const CString&) override {
    return answer_;
  }

 private:
  int* destroyed_;
  CString answer_;
};

// Member functions of the signatures the table serves, recording what they receive.
struct Probe {
  int calls = 0;
  CString last_text;

  int Count() { return ++calls; }
  int Pick(int i, const CString& text) {
    last_text = text;
    return i;
  }
  double Weigh(double a, double b, double c) { return a * 100 + b * 10 + c; }
  void Note(const CString& text) { last_text = text; }
  double Fail(double) { throw std::runtime_error("bound function failed"); }
};

CString Call(CExFunTable& table, const std::string& name, const CString& a1 = "",
             const CString& a2 = "", const CString& a3 = "") {
  return table.Execute(name, a1, a2, a3, "", "");
}

TEST(ExFunTable, NamesFoldOnlyAsciiLetters) {
  CExFunTable table;
  EXPECT_EQ(table.GetFunctor("SIN"), table.GetFunctor("sin"));
  EXPECT_NE(table.GetFunctor("Sin"), nullptr);
  EXPECT_EQ(table.GetFunctor("sinx"), nullptr);
  EXPECT_EQ(table.GetFunctor(""), nullptr);
  EXPECT_EQ(Call(table, "sinx", "1").str(), "");

  const str_compare_nocase less;
  EXPECT_FALSE(less("ABC", "abc"));
  EXPECT_TRUE(less("abc", "ABD"));
  // Folding is to lower case: '_' (0x5F) orders before every letter, either case.
  EXPECT_TRUE(less("_", "A"));
  // Bytes of multibyte characters are not letters: "É" and "é" are different names.
  OpenTable open;
  int destroyed = 0;
  open._RegistFun("\xC3\x89t\xC3\xA9", new CountingFunctor(&destroyed, "upper"));
  open._RegistFun("\xC3\xA9T\xC3\xA9", new CountingFunctor(&destroyed, "lower"));
  EXPECT_EQ(Call(open, "\xC3\x89T\xC3\xA9").str(), "upper");
  EXPECT_EQ(Call(open, "\xC3\xA9t\xC3\xA9").str(), "lower");
  EXPECT_EQ(destroyed, 0);
}

TEST(ExFunTable, RegistrationReplacesAndClearDestroys) {
  int destroyed = 0;
  {
    OpenTable table;
    EXPECT_EQ(table.GetFunctorMap().size(), 25u);
    table._RegistFun("Max", new CountingFunctor(&destroyed, "first"));
    EXPECT_EQ(table.GetFunctorMap().size(), 25u);
    EXPECT_EQ(table.GetFunctorMap().find("MAX")->first, "max");
    auto* second = new CountingFunctor(&destroyed, "second");
    table._RegistFun("mAx", second);
    EXPECT_EQ(destroyed, 1);
    table._RegistFun("max", second);  // the same functor again is kept
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Call(table, "MAX", "1", "2").str(), "second");

    table.Clear();
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(table.GetFunctorMap().empty());
    EXPECT_EQ(Call(table, "sin", "1").str(), "");
    table._RegistFun("three", new CountingFunctor(&destroyed, "3"));
  }
  EXPECT_EQ(destroyed, 3);
}

TEST(ExFunTable, ArgumentsFollowTheNumericTextRule) {
  CExFunTable table;
  EXPECT_EQ(Call(table, "sin").str(), "0");
  EXPECT_EQ(Call(table, "round", "\t-2.5\n").str(), "-3");
  EXPECT_EQ(Call(table, "abs", "-.5").str(), "0.5");
  EXPECT_EQ(Call(table, "max", "1e5", "-1").str(), "0");
  // Surplus arguments are not looked at.
  EXPECT_EQ(table.Execute("sqrt", "9", "x", "y", "z", "w").str(), "3");
}

TEST(ExFunTable, CallsBoundMemberFunctionsOfEverySignature) {
  Probe probe;
  OpenTable table;
  table._RegistFun("count", new CScriptFunctorT<int, Loki::Seq<>>(&probe, &Probe::Count));
  table._RegistFun("pick", new CScriptFunctorT<int, Loki::Seq<int, CString>>(&probe, &Probe::Pick));
  table._RegistFun("weigh", new CScriptFunctorT<double, Loki::Seq<double, double, double>>(
                                &probe, &Probe::Weigh));
  table._RegistFun("note", new CScriptFunctorT<void, Loki::Seq<CString>>(&probe, &Probe::Note));
  table._RegistFun("fail", new CScriptFunctorT<double, Loki::Seq<double>>(&probe, &Probe::Fail));
  EXPECT_EQ(table.GetFunctor("pick")->GetArgCount(), 2);

  EXPECT_EQ(Call(table, "count", "ignored").str(), "1");
  EXPECT_EQ(Call(table, "count").str(), "2");
  EXPECT_EQ(Call(table, "pick", "-2.9", " as is ").str(), "-2");
  EXPECT_EQ(probe.last_text.str(), " as is ");
  EXPECT_EQ(Call(table, "pick", "99999999999").str(), "2147483647");
  // Arguments reach their own parameters, in order.
  EXPECT_EQ(Call(table, "weigh", "1", "", "3").str(), "103");
  EXPECT_EQ(Call(table, "note", "  text with blanks ").str(), "");
  EXPECT_EQ(probe.last_text.str(), "  text with blanks ");
  EXPECT_THROW(Call(table, "fail", "1"), std::runtime_error);
}

}  // namespace
