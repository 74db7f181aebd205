#include "lumotools/util/log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using LogPP::LogFinder;
using LogPP::LogItem;
using LogPP::LogMgr;

// An entry with a name that counts its destructions.
struct NamedItem : LogItem {
  explicit NamedItem(std::string n, int* d = nullptr) : name(std::move(n)), destroyed(d) {}
  ~NamedItem() override {
    if (destroyed) ++*destroyed;
  }
  const std::string name;
  int* const destroyed;
};

// Matches the entries whose name is not excluded.
struct NameFinder : LogFinder {
  explicit NameFinder(std::string e = "") : excluded(std::move(e)) {}
  bool IsMatch(LogItem* item) const override {
    return static_cast<NamedItem*>(item)->name != excluded;
  }
  const std::string excluded;
};

std::vector<std::string> Names(const std::vector<LogItem*>& items) {
  std::vector<std::string> names;
  for (LogItem* item : items) names.push_back(static_cast<NamedItem*>(item)->name);
  return names;
}

using Strings = std::vector<std::string>;

TEST(LogMgr, FindsChildrenBeforeTheirParentAndClearingDestroysOnlyRoots) {
  LogMgr mgr;
  int rootsDestroyed = 0;
  NamedItem p("P"), q("Q"), s("S");
  LogItem* root = mgr.PushRootItem(new NamedItem("R", &rootsDestroyed));
  root->PushSubItem(&p);
  EXPECT_EQ(root->PushSubItem(&q)->PushSubItem(&s), &s);
  mgr.PushRootItem(new NamedItem("R2", &rootsDestroyed));
  EXPECT_EQ(Names(mgr.GetAllRootItems()), (Strings{"R", "R2"}));
  EXPECT_EQ(Names(mgr.FindAllItems(NameFinder())), (Strings{"P", "S", "Q", "R", "R2"}));
  EXPECT_EQ(Names(mgr.FindAllItems(NameFinder("S"))), (Strings{"P", "Q", "R", "R2"}));
  std::vector<LogItem*> out;
  LogMgr::FindItems(&q, NameFinder(), out);
  EXPECT_EQ(Names(out), (Strings{"S", "Q"}));

  EXPECT_TRUE(mgr.SaveToBuffer());
  EXPECT_TRUE(mgr.LoadFromBuffer());
  EXPECT_EQ(Names(mgr.GetAllRootItems()), (Strings{"R", "R2"}));
  mgr.ClearAllItems();
  EXPECT_EQ(rootsDestroyed, 2);
  EXPECT_TRUE(mgr.GetAllRootItems().empty());
  EXPECT_EQ(s.name, "S");  // children are still alive
}

}  // namespace
