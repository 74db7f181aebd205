#include "lumotools/platform/cstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace {

// The bytes of a literal that may contain NULs, as a std::string and as a CString.
template <size_t N>
std::string Raw(const char (&text)[N]) {
  return std::string(text, N - 1);
}
template <size_t N>
CString Bytes(const char (&text)[N]) {
  return CString(Raw(text));
}

TEST(CString, ConstructsAndCountsBytes) {
  EXPECT_TRUE(CString(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_EQ(CString('x', 3), "xxx");
  EXPECT_TRUE(CString('x', -1).IsEmpty());
  EXPECT_EQ(CString("\xC3\xA9t\xC3\xA9").GetLength(), 5);  // "été" in UTF-8.
  CString original("abc");
  CString copy = original;
  copy.SetAt(0, 'z');
  EXPECT_EQ(original, "abc");  // Copies are independent.
  EXPECT_EQ('x' + CString("ab") + 'c' + "d" + CString("e"), "xabcde");
}

TEST(CString, ComparesBytesAsUnsignedAndFoldsOnlyAsciiLetters) {
  const CString high("\xC3\xA9");  // A UTF-8 lead byte sorts after every ASCII byte.
  EXPECT_GT(high.Compare("z"), 0);
  EXPECT_TRUE(CString("z") < "\x80");
  EXPECT_EQ(CString("abc").Compare("abc"), 0);
  EXPECT_LT(CString("ab").Compare("abc"), 0);
  // An embedded NUL is part of the text.
  EXPECT_GT(Bytes("a\0").Compare("a"), 0);
  EXPECT_FALSE(Bytes("a\0b") == "a");

  EXPECT_EQ(CString("HeLLo World AZ").CompareNoCase("hello wORLD az"), 0);
  EXPECT_LT(CString("abc").CompareNoCase("ABCD"), 0);
  // Letters fold to lower case, so '[' (0x5B) and '@' (0x40) sort before 'A'.
  EXPECT_LT(CString("[").CompareNoCase("A"), 0);
  EXPECT_LT(CString("@").CompareNoCase("a"), 0);
  // "Ä" and "ä" differ in their second byte, which is not folded.
  EXPECT_NE(CString("\xC3\x84").CompareNoCase("\xC3\xA4"), 0);

  CString s("caf\xC3\xA9 \xC3\x84x!1AZ");
  EXPECT_EQ(s.MakeUpper(), "CAF\xC3\xA9 \xC3\x84X!1AZ");
  EXPECT_EQ(s.MakeLower(), "caf\xC3\xA9 \xC3\x84x!1az");
  EXPECT_EQ(CString("@[`{\xE4\xC4").MakeUpper(), "@[`{\xE4\xC4");
  EXPECT_EQ(CString("@[`{\xE4\xC4").MakeLower(), "@[`{\xE4\xC4");
  EXPECT_EQ(CString("abc").MakeReverse(), "cba");
}

TEST(CString, FindsAndCutsWithClampedArguments) {
  const CString s("abcabc");
  EXPECT_EQ(s.Find('c'), 2);
  EXPECT_EQ(s.Find('c', 3), 5);
  EXPECT_EQ(s.Find('a', 6), -1);
  EXPECT_EQ(s.Find('a', -1), -1);
  EXPECT_EQ(s.Find("bc", 2), 4);
  EXPECT_EQ(s.Find("", 6), 6);
  EXPECT_EQ(s.Find("", 7), -1);
  EXPECT_EQ(s.ReverseFind('b'), 4);
  EXPECT_EQ(s.FindOneOf("xc"), 2);
  EXPECT_EQ(Bytes("a\0bc").Find("bc"), 2);

  const CString h("hello");
  EXPECT_EQ(h.Mid(1, 3), "ell");
  EXPECT_EQ(h.Mid(-2, 3), "hel");
  EXPECT_EQ(h.Mid(3, 100), "lo");
  EXPECT_EQ(h.Mid(1, -1), "");
  EXPECT_EQ(h.Left(2), "he");
  EXPECT_EQ(h.Right(99), "hello");
  EXPECT_EQ(h.Right(-3), "");
  EXPECT_EQ(Bytes("a\0bc").Right(3).str(), Raw("\0bc"));
}

TEST(CString, SpansAndTokenizes) {
  const CString s("2024-01-xx");
  EXPECT_EQ(s.SpanIncluding("0123456789"), "2024");
  EXPECT_EQ(s.SpanIncluding("x"), "");
  EXPECT_EQ(s.SpanExcluding("-"), "2024");

  const CString text(" ,a,,bc; d");  // the last token runs to the end
  int pos = 0;                       // after a token, just past the delimiter that ends it
  const std::pair<const char*, int> steps[] = {{"a", 4}, {"bc", 8}, {"d", 11}, {"", -1}};
  for (const auto& [token, next] : steps) {
    EXPECT_EQ(text.Tokenize(" ,;", pos), token);
    EXPECT_EQ(pos, next) << token;
  }
  pos = 0;
  EXPECT_EQ(CString(",,,").Tokenize(",", pos), "");
  EXPECT_EQ(pos, -1);
  pos = 42;
  EXPECT_EQ(CString("abc").Tokenize(",", pos), "");
  EXPECT_EQ(pos, -1);
}

TEST(CString, EditsReturnCountsAndLengths) {
  CString s("aaaa");
  EXPECT_EQ(s.Replace("aa", "b"), 2);
  EXPECT_EQ(s, "bb");
  s = "a.a";
  EXPECT_EQ(s.Replace("a", "aa"), 2);  // The replacement is not searched again.
  EXPECT_EQ(s.Replace("", "x"), 0);
  EXPECT_EQ(s.Replace(".", ""), 1);
  EXPECT_EQ(s, "aaaa");
  s = "banana";
  EXPECT_EQ(s.Remove('a'), 3);
  EXPECT_EQ(s, "bnn");

  s = "ac";
  EXPECT_EQ(s.Insert(1, 'b'), 3);
  EXPECT_EQ(s.Insert(99, "de"), 5);
  EXPECT_EQ(s.Insert(-4, ">"), 6);
  EXPECT_EQ(s, ">abcde");
  EXPECT_EQ(s.Delete(1, 2), 4);
  EXPECT_EQ(s.Delete(2, 99), 2);
  EXPECT_EQ(s.Delete(0), 1);
  EXPECT_EQ(s, "c");
}

TEST(CString, TrimRemovesCLocaleWhiteSpaceOrGivenCharacters) {
  EXPECT_EQ(CString(" \t\n\v\f\r x y \r\n\t").Trim(), "x y");
  EXPECT_EQ(CString("  x  ").TrimLeft(), "x  ");
  EXPECT_EQ(CString("  x  ").TrimRight(), "  x");
  EXPECT_EQ(CString("   ").TrimRight(), "");  // all of it, by any of the forms
  EXPECT_EQ(CString("--").TrimRight('-'), "");
  EXPECT_EQ(CString("--").TrimLeft('-'), "");
  // A UTF-8 no-break space is not C-locale white space.
  EXPECT_EQ(CString("\xC2\xA0x ").Trim(), "\xC2\xA0x");
  EXPECT_EQ(CString("xyaxyb yx").Trim("xy"), "axyb ");
  EXPECT_EQ(CString("+-a-+").TrimLeft("-+"), "a-+");
  EXPECT_EQ(CString("+-a-+").TrimRight("-+"), "+-a");
  // NUL is a character like any other.
  EXPECT_EQ(Bytes("\0a\0\0").TrimRight('\0').str(), Raw("\0a"));
  EXPECT_EQ(Bytes("\0\0a\0").TrimLeft('\0').str(), Raw("a\0"));
  EXPECT_EQ(Bytes("\0a\0").Trim('\0').str(), "a");
}

TEST(CString, FormatFollowsPrintf) {
  CString s;
  s.Format("%d|%5s|%-3c|%.2f|%x|%%", -42, "ab", 'z', 2.5, 255u);
  EXPECT_EQ(s, "-42|   ab|z  |2.50|ff|%");
  s.AppendFormat("%03d", 7);
  EXPECT_EQ(s, "-42|   ab|z  |2.50|ff|%007");
  s.Format("a%cb", '\0');  // A formatted NUL stays in the text.
  EXPECT_EQ(s.str(), Raw("a\0b"));
  // Outputs of exactly n bytes, around and well beyond 256.
  for (const int n : {255, 256, 257, 70000}) {
    const std::string text(static_cast<size_t>(n - 2), 'q');
    s.Format("<%s>", text.c_str());
    EXPECT_EQ(s.str(), "<" + text + ">") << n;
  }
  // The string's own text may be an argument.
  s = "abc";
  s.Format("%s-%s", s.GetString(), s.GetString());
  EXPECT_EQ(s, "abc-abc");
}

TEST(CString, GetBufferAndReleaseBuffer) {
  CString s("abc");
  char* buf = s.GetBuffer(10);
  EXPECT_EQ(std::string(buf, 3), "abc");
  std::memcpy(buf + 3, "defghij", 8);  // All 10 characters plus the NUL.
  s.ReleaseBuffer();
  EXPECT_EQ(s, "abcdefghij");
  buf = s.GetBuffer(0);
  buf[4] = '\0';
  s.ReleaseBuffer(-1);
  EXPECT_EQ(s.GetLength(), 4);
  buf = s.GetBuffer(8);
  buf[1] = '\0';
  s.ReleaseBuffer(3);  // An explicit length keeps the NUL.
  EXPECT_EQ(s.str(), Raw("a\0c"));
  buf = s.GetBufferSetLength(2);
  buf[1] = 'b';
  s.ReleaseBuffer();
  EXPECT_EQ(s, "ab");
}

}  // namespace
