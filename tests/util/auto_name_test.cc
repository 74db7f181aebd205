#include "lumotools/util/auto_name.h"

#include <gtest/gtest.h>

#include "lumotools/util/string_encrypt.h"

namespace {

TEST(AutoName, ProposesTheFirstFreeNumberInTheKeysCase) {
  CAutoName names;
  names.SetNameKey("Wall");
  EXPECT_EQ(CString("Wall1"), names.GetNextName());
  names.AddName(std::vector<CString>{" wall1\t", "  WALL2 ", "Beam1", "wall"});
  EXPECT_EQ(CString("Wall3"), names.GetNextName());
  EXPECT_EQ(CString("Wall3"), names.GetNextName());  // not recorded
  names.ClearNames();
  names.AddName("wall2");
  EXPECT_EQ(CString("Wall1"), names.GetNextName());
}

TEST(StringEncrypt, DoesNothing) {
  CString text("secret"), out("keep");
  BYTE bytes[4] = {1, 2, 3, 4};
  EXPECT_EQ(0, StringEncrypt::ConvertToByte(text, bytes, 4));
  EXPECT_EQ(0, StringEncrypt::ConvertToString(bytes, 4, out));
  EXPECT_EQ(0, StringEncrypt::Encrypt(text, out));
  EXPECT_EQ(0, StringEncrypt::Decrypt(text, out));
  EXPECT_EQ(CString("keep"), out);
  EXPECT_EQ(1, bytes[0]);
}

}  // namespace
