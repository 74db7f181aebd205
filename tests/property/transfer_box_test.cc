#include "lumotools/property/transfer_box.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "lumotools/property/hook_data.h"
#include "lumotools/property/type_strategy.h"

namespace {

// A copy would give the transfer objects two owners.
static_assert(!std::is_copy_constructible_v<CTransferUiToAnyBox>);
static_assert(!std::is_copy_assignable_v<CTransferUiToAnyBox>);

// A host transfer object of any code, counting its destructions.
class CountedTransfer : public CTransferUiToAny {
 public:
  CountedTransfer(int code, int* destroyed) : m_code(code), m_destroyed(destroyed) {}
  ~CountedTransfer() override { ++*m_destroyed; }
  int GetTransferType() const override { return m_code; }

 private:
  int m_code;
  int* m_destroyed;
};

CString TextOf(const CTransferUiToAnyBox& box) {
  return boost::any_cast<CString>(CAnyTypeStrategy_CString().AnyFromBox(box, 1000.0));
}

TEST(TransferBox, OwnsWhatIsAdded) {
  int destroyed = 0;
  {
    CTransferUiToAnyBox box;
    EXPECT_TRUE(box.empty());
    box.AddTransfer(new CountedTransfer(0, &destroyed));
    EXPECT_FALSE(box.empty());
    box.AddTransfer(new CTransferUiToAny_Class(CHookData("3(2)*4")));
    box.AddTransfer(new CountedTransfer(9, &destroyed));
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(TransferBox, IndexWinsOverTextAndIsNotScaled) {
  CTransferUiToAnyBox box;
  box.AddTransfer(new CTransferUiToAny_String("12.5"));
  box.AddTransfer(new CTransferUiToAny_Index(3));
  box.AddTransfer(new CTransferUiToAny_Index(8));
  EXPECT_EQ(boost::any_cast<double>(CAnyTypeStrategy_Double().AnyFromBox(box, 1000.0)), 3.0);
  EXPECT_EQ(boost::any_cast<long>(CAnyTypeStrategy_Long().AnyFromBox(box, 1000.0)), 3L);
  EXPECT_EQ(TextOf(box), "3");

  CTransferUiToAnyBox texts;
  texts.AddTransfer(new CTransferUiToAny_String("4"));
  texts.AddTransfer(new CTransferUiToAny_String("second"));
  EXPECT_EQ(TextOf(texts), "4");
  EXPECT_EQ(boost::any_cast<int>(CAnyTypeStrategy_Int().AnyFromBox(texts, 1000.0)), 4000);
}

TEST(TransferBox, MissingResultGivesKindDefault) {
  CTransferUiToAnyBox box;
  EXPECT_EQ(TextOf(box), "");
  EXPECT_EQ(boost::any_cast<int>(CAnyTypeStrategy_Int().AnyFromBox(box, 1000.0)), 0);
  // Byte and Csf do not read the box at all.
  box.AddTransfer(new CTransferUiToAny_Index(5));
  EXPECT_EQ(boost::any_cast<int>(CAnyTypeStrategy_Byte().AnyFromBox(box, 1.0)), 0);
  EXPECT_EQ(boost::any_cast<int>(CAnyTypeStrategy_Csf().AnyFromBox(box, 1.0)), 0);
}

// The first transfer with a code decides, even when it is not the class the code names.
TEST(TransferBox, CodeOfAnotherClassIsAbsent) {
  int destroyed = 0;
  CTransferUiToAnyBox box;
  box.AddTransfer(new CountedTransfer(2, &destroyed));
  box.AddTransfer(new CTransferUiToAny_String("12"));
  box.AddTransfer(new CountedTransfer(3, &destroyed));
  box.AddTransfer(new CTransferUiToAny_Class(CHookData("5")));
  EXPECT_EQ(TextOf(box), "");
  EXPECT_EQ(boost::any_cast<CHookData>(CAnyTypeStrategy_HookData().AnyFromBox(box, 1.0)),
            CHookData());
}

TEST(TransferBox, ValueObjectIsCopiedWhateverItHolds) {
  CTransferUiToAnyBox box;
  box.AddTransfer(new CTransferUiToAny_String("ignored"));
  box.AddTransfer(new CTransferUiToAny_Class(CHookData("3(2)*4")));
  const boost::any hook = CAnyTypeStrategy_HookData().AnyFromBox(box, 1.0);
  EXPECT_EQ(boost::any_cast<const CHookData&>(hook).GetHookDataStr(), "3(2)*4");
  EXPECT_EQ(CAnyTypeStrategy_NormalColor().AnyFromBox(box, 1.0).type(), typeid(CHookData));
  EXPECT_EQ(CAnyTypeStrategy_ModelColor().AnyFromBox(box, 1.0).type(), typeid(CHookData));
}

}  // namespace
