#include "lumotools/formula/ex_fun_table.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

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
  double last_double = 0.0;
  CString last_text;

  int Count() { return ++calls; }
  int Pick(int i, const CString& text) {
    last_text = text;
    return i;
  }
  double Weigh(double a, double b, double c) { return a * 100 + b * 10 + c; }
  double Half(double x) {
    last_double = x;
    return x / 2;
  }
  void Note(const CString& text) { last_text = text; }
  double Fail(double) { throw std::runtime_error("bound function failed"); }
};

const CString kNone;

CString Call(CExFunTable& table, const std::string& name, const CString& a1 = kNone,
             const CString& a2 = kNone, const CString& a3 = kNone) {
  return table.Execute(name, a1, a2, a3, kNone, kNone);
}

}  // namespace

TEST(ExFunTable, HoldsTheBuiltInsWithTheirParameterCounts) {
  const std::map<std::string, int> expected = {
      {"abs", 1},     {"acos", 1}, {"asin", 1},     {"atan", 1},     {"ceil", 1},
      {"cos", 1},     {"dtor", 1}, {"floor", 1},    {"fround", 2},   {"iif", 3},
      {"intpart", 1}, {"max", 2},  {"max2", 2},     {"max3", 3},     {"min", 2},
      {"min2", 2},    {"min3", 3}, {"popmsg_d", 1}, {"popmsg_i", 1}, {"popmsg_s", 1},
      {"round", 1},   {"rtod", 1}, {"sin", 1},      {"sqrt", 1},     {"tan", 1}};
  CExFunTable table;
  std::map<std::string, int> actual;
  for (const auto& entry : table.GetFunctorMap()) {
    ASSERT_NE(entry.second, nullptr) << entry.first;
    actual[entry.first] = entry.second->GetArgCount();
  }
  EXPECT_EQ(actual, expected);
}

TEST(ExFunTable, NamesIgnoreLetterCase) {
  CExFunTable table;
  CScriptFunctor* sin = table.GetFunctor("sin");
  ASSERT_NE(sin, nullptr);
  EXPECT_EQ(table.GetFunctor("SIN"), sin);
  EXPECT_EQ(table.GetFunctor("Sin"), sin);
  EXPECT_EQ(table.GetFunctor("POPMSG_S"), table.GetFunctor("popmsg_s"));
  EXPECT_EQ(table.GetFunctor("sinx"), nullptr);
  EXPECT_EQ(table.GetFunctor("si"), nullptr);
  EXPECT_EQ(table.GetFunctor(""), nullptr);
  EXPECT_EQ(Call(table, "sinx", "1", "2", "3").str(), "");
  EXPECT_EQ(Call(table, "SQRT", "16").str(), "4");
}

TEST(ExFunTable, OrderingFoldsOnlyAsciiLetters) {
  const str_compare_nocase less;
  EXPECT_FALSE(less("ABC", "abc"));
  EXPECT_FALSE(less("abc", "ABC"));
  EXPECT_TRUE(less("ab", "ABC"));
  EXPECT_TRUE(less("abc", "ABD"));
  // Folding is to lower case: '_' (0x5F) and '[' (0x5B) order before every letter, either case.
  EXPECT_TRUE(less("_", "A"));
  EXPECT_TRUE(less("[", "Z"));
  EXPECT_FALSE(less("Z", "["));
  // Bytes of multibyte characters are not letters: "É" and "é" are different names.
  EXPECT_TRUE(less("\xC3\x89", "\xC3\xA9"));

  OpenTable table;
  int destroyed = 0;
  table._RegistFun("\xC3\x89t\xC3\xA9", new CountingFunctor(&destroyed, "upper"));
  table._RegistFun("\xC3\xA9T\xC3\xA9", new CountingFunctor(&destroyed, "lower"));
  EXPECT_EQ(Call(table, "\xC3\x89T\xC3\xA9").str(), "upper");
  EXPECT_EQ(Call(table, "\xC3\xA9t\xC3\xA9").str(), "lower");
  EXPECT_EQ(destroyed, 0);
}

TEST(ExFunTable, RegisteringAnExistingNameReplacesItsFunctor) {
  OpenTable table;
  const size_t size = table.GetFunctorMap().size();
  int destroyed = 0;
  table._RegistFun("Max", new CountingFunctor(&destroyed, "first"));
  EXPECT_EQ(table.GetFunctorMap().size(), size);
  EXPECT_EQ(table.GetFunctorMap().begin()->first, "abs");
  ASSERT_EQ(table.GetFunctorMap().count("max"), 1u);
  EXPECT_EQ(table.GetFunctorMap().find("MAX")->first, "max");
  EXPECT_EQ(Call(table, "MAX", "1", "2").str(), "first");

  auto* second = new CountingFunctor(&destroyed, "second");
  table._RegistFun("mAx", second);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(table.GetFunctor("MAX"), second);
  EXPECT_EQ(table.GetFunctorMap().find("max")->first, "max");

  table._RegistFun("max", second);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(Call(table, "max").str(), "second");

  table._RegistFun("NewName", new CountingFunctor(&destroyed, "new"));
  EXPECT_EQ(table.GetFunctorMap().size(), size + 1);
  EXPECT_EQ(table.GetFunctorMap().find("newname")->first, "NewName");
}

TEST(ExFunTable, ClearAndDestructionDestroyEveryFunctor) {
  int destroyed = 0;
  {
    OpenTable table;
    table._RegistFun("one", new CountingFunctor(&destroyed, "1"));
    table._RegistFun("two", new CountingFunctor(&destroyed, "2"));
    table.Clear();
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(table.GetFunctorMap().empty());
    for (const char* name : {"sin", "max", "popmsg_s", "intpart", "one"}) {
      EXPECT_EQ(table.GetFunctor(name), nullptr) << name;
      EXPECT_EQ(Call(table, name, "1").str(), "") << name;
    }
    table._RegistFun("three", new CountingFunctor(&destroyed, "3"));
    table._RegistFun("four", new CountingFunctor(&destroyed, "4"));
    EXPECT_EQ(Call(table, "three").str(), "3");
  }
  EXPECT_EQ(destroyed, 4);
}

TEST(ExFunTable, ConvertsArgumentsByTheNumericTextRule) {
  CExFunTable table;
  EXPECT_EQ(Call(table, "sin").str(), "0");
  EXPECT_EQ(Call(table, "round", "  2.5  ").str(), "3");
  EXPECT_EQ(Call(table, "round", "\t-2.5\n").str(), "-3");
  EXPECT_EQ(Call(table, "abs", "-.5").str(), "0.5");
  EXPECT_EQ(Call(table, "abs", "5.").str(), "5");
  for (const char* junk : {"1,5", "abc", "1e5", "+5", ".", "-", "1.2.3", "2 5"}) {
    EXPECT_EQ(Call(table, "max", junk, "-1").str(), "0") << junk;
    EXPECT_EQ(Call(table, "iif", junk, "1", "2").str(), "2") << junk;
  }
  EXPECT_EQ(Call(table, "iif", "3.7", "1", "2").str(), "1");
  EXPECT_EQ(Call(table, "iif", "-0.9", "1", "2").str(), "2");
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
  table._RegistFun("half", new CScriptFunctorT<double, Loki::Seq<double>>(&probe, &Probe::Half));
  table._RegistFun("note", new CScriptFunctorT<void, Loki::Seq<CString>>(&probe, &Probe::Note));
  EXPECT_EQ(table.GetFunctor("count")->GetArgCount(), 0);
  EXPECT_EQ(table.GetFunctor("pick")->GetArgCount(), 2);
  EXPECT_EQ(table.GetFunctor("weigh")->GetArgCount(), 3);

  EXPECT_EQ(Call(table, "count", "ignored").str(), "1");
  EXPECT_EQ(Call(table, "count").str(), "2");

  EXPECT_EQ(Call(table, "pick", "-2.9", " as is ").str(), "-2");
  EXPECT_EQ(probe.last_text.str(), " as is ");
  EXPECT_EQ(Call(table, "pick", "3.7").str(), "3");
  EXPECT_EQ(probe.last_text.str(), "");
  EXPECT_EQ(Call(table, "pick", "99999999999").str(), "2147483647");
  EXPECT_EQ(Call(table, "pick", "-99999999999").str(), "-2147483648");

  // Arguments reach their own parameters, in order.
  EXPECT_EQ(Call(table, "weigh", "1", "2", "3").str(), "123");
  EXPECT_EQ(Call(table, "weigh", "1", "", "3").str(), "103");

  EXPECT_EQ(Call(table, "half", "0.0012").str(), "0.001");
  EXPECT_EQ(probe.last_double, 0.0012);
  EXPECT_EQ(Call(table, "half", "200000000000000000000").str(), "100000000000000000000");

  EXPECT_EQ(Call(table, "note", "  text with blanks ").str(), "");
  EXPECT_EQ(probe.last_text.str(), "  text with blanks ");
}

TEST(ExFunTable, ExceptionsOfTheBoundFunctionPassThrough) {
  Probe probe;
  OpenTable table;
  table._RegistFun("fail", new CScriptFunctorT<double, Loki::Seq<double>>(&probe, &Probe::Fail));
  EXPECT_THROW(Call(table, "fail", "1"), std::runtime_error);
  EXPECT_NE(table.GetFunctor("fail"), nullptr);
}
