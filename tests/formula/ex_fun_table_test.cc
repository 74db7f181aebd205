#include "lumotools/formula/ex_fun_table.h"

#include <gtest/gtest.h>

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

CString Call(CExFunTable& table, const std::string& name, const CString& a1 = "",
             const CString& a2 = "", const CString& a3 = "") {
  return table.Execute(name, a1, a2, a3, "", "");
}

TEST(ExFunTable, NamesIgnoreCaseAndArgumentsFollowTheNumericTextRule) {
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

  EXPECT_EQ(Call(table, "sin").str(), "0");
  EXPECT_EQ(Call(table, "round", "\t-2.5\n").str(), "-3");
  EXPECT_EQ(Call(table, "abs", "-.5").str(), "0.5");
  EXPECT_EQ(Call(table, "max", "1e5", "-1").str(), "0");
  // Surplus arguments are not looked at.
  EXPECT_EQ(table.Execute("sqrt", "9", "x", "y", "z", "w").str(), "3");
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

}  // namespace
