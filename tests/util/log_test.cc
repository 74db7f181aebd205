#include "lumotools/util/log.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using LogPP::LogFinder;
using LogPP::LogHelper;
using LogPP::LogItem;
using LogPP::LogMgr;

// An entry with a name that counts its destructions.
class NamedItem : public LogItem {
 public:
  explicit NamedItem(std::string name, int* destroyed = nullptr)
      : name_(std::move(name)), destroyed_(destroyed) {}
  ~NamedItem() override {
    if (destroyed_) ++*destroyed_;
  }
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  int* destroyed_;
};

class MatchAll : public LogFinder {
 public:
  bool IsMatch(LogItem*) const override { return true; }
};

class MatchNone : public LogFinder {
 public:
  bool IsMatch(LogItem*) const override { return false; }
};

std::vector<std::string> Names(const std::vector<LogItem*>& items) {
  std::vector<std::string> names;
  for (LogItem* item : items) names.push_back(static_cast<NamedItem*>(item)->name());
  return names;
}

// The tree R(P, Q(S)) under a manager; the children are owned by the fixture.
class LogTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = static_cast<NamedItem*>(mgr_.PushRootItem(new NamedItem("R", &roots_destroyed_)));
    root_->PushSubItem(&p_);
    root_->PushSubItem(&q_)->PushSubItem(&s_);
  }
  void TearDown() override { mgr_.ClearAllItems(); }

  LogMgr mgr_;
  int roots_destroyed_ = 0;
  NamedItem* root_ = nullptr;
  NamedItem p_{"P"}, q_{"Q"}, s_{"S"};
};

TEST_F(LogTreeTest, FindsChildrenBeforeTheirParent) {
  EXPECT_EQ(Names(mgr_.FindAllItems(MatchAll())), (std::vector<std::string>{"P", "S", "Q", "R"}));
  EXPECT_TRUE(mgr_.FindAllItems(MatchNone()).empty());

  std::vector<LogItem*> out;
  LogMgr::FindItems(&q_, MatchAll(), out);
  EXPECT_EQ(Names(out), (std::vector<std::string>{"S", "Q"}));
}

TEST_F(LogTreeTest, RootsKeepTheirOrderAndClearingDestroysOnlyRoots) {
  mgr_.PushRootItem(new NamedItem("R2", &roots_destroyed_));
  EXPECT_EQ(Names(mgr_.GetAllRootItems()), (std::vector<std::string>{"R", "R2"}));
  EXPECT_EQ(Names(mgr_.FindAllItems(MatchAll())),
            (std::vector<std::string>{"P", "S", "Q", "R", "R2"}));

  mgr_.ClearAllItems();
  EXPECT_EQ(roots_destroyed_, 2);
  EXPECT_TRUE(mgr_.GetAllRootItems().empty());
  EXPECT_TRUE(mgr_.FindAllItems(MatchAll()).empty());
  EXPECT_EQ(s_.name(), "S");  // Children are still alive.
}

// Adds its entry as a root through the manager, which re-enters the manager's lock.
class RootHelper : public LogHelper {
 public:
  explicit RootHelper(const char* name) : name_(name) {}
  LogItem* PushTo(LogMgr* mgr) const override { return mgr->PushRootItem(new NamedItem(name_)); }

 private:
  const char* name_;
};

// Adds its entry under the first root.
class ChildHelper : public LogHelper {
 public:
  LogItem* PushTo(LogMgr* mgr) const override {
    return mgr->GetAllRootItems().front()->PushSubItem(new NamedItem("child"));
  }
};

TEST(LogMgr, PushItemLetsTheHelperPushWithoutBlocking) {
  LogMgr mgr;
  LogItem* pushed = mgr.PushItem(RootHelper("H"));
  ASSERT_EQ(mgr.GetAllRootItems().size(), 1u);
  EXPECT_EQ(mgr.GetAllRootItems().front(), pushed);

  LogItem* child = mgr.PushItem(ChildHelper());
  EXPECT_EQ(pushed->GetSubItems(), std::vector<LogItem*>{child});
  delete child;
  mgr.ClearAllItems();
}

TEST(LogMgr, BufferOperationsChangeNothing) {
  LogMgr mgr;
  mgr.PushRootItem(new NamedItem("A"));
  EXPECT_TRUE(mgr.SaveToBuffer());
  EXPECT_TRUE(mgr.LoadFromBuffer());
  EXPECT_EQ(Names(mgr.GetAllRootItems()), std::vector<std::string>{"A"});
  mgr.ClearAllItems();
}

TEST(LogMgr, ConcurrentPushesKeepEveryRoot) {
  LogMgr mgr;
  constexpr int kThreads = 4;
  constexpr int kPerThread = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&mgr, t] {
      for (int i = 0; i < kPerThread; ++i) {
        mgr.PushItem(RootHelper(t % 2 ? "odd" : "even"));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mgr.GetAllRootItems().size(), static_cast<size_t>(kThreads * kPerThread));
  mgr.ClearAllItems();
}

}  // namespace
