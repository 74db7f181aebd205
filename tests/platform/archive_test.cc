#include "lumotools/platform/archive.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "lumotools/platform/mem_file.h"
#include "support/bytes.h"

namespace {

using lumo_test::ArchiveErrorCause;
using lumo_test::Bytes;
using lumo_test::FromHex;
using lumo_test::Load;
using lumo_test::Store;
using lumo_test::ToHex;

TEST(Archive, FixedWidthsAreLittleEndianAndReadBack) {
  const Bytes bytes = Store([](CArchive& ar) {
    ar << true << false << 'A' << static_cast<BYTE>(0x80) << static_cast<short>(-2)
       << static_cast<WORD>(0x1234) << -1 << 0x89ABCDEFu << static_cast<long>(-3)
       << static_cast<unsigned long>(0xFEDCBA98u) << static_cast<LONGLONG>(-4)
       << static_cast<ULONGLONG>(0x0102030405060708ull) << 1.5f << -0.25
       << static_cast<ULONGLONG>(std::numeric_limits<ULONGLONG>::max());
  });
  EXPECT_EQ(ToHex(bytes),
            "01 00 41 80 FE FF 34 12 FF FF FF FF EF CD AB 89 FD FF FF FF 98 BA DC FE "
            "FC FF FF FF FF FF FF FF 08 07 06 05 04 03 02 01 00 00 C0 3F "
            "00 00 00 00 00 00 D0 BF FF FF FF FF FF FF FF FF");
  bool t = false, f = true;
  char c = 0;
  BYTE by = 0;
  short sh = 0;
  WORD w = 0;
  int i = 0;
  unsigned u = 0;
  long l = 0;
  unsigned long ul = 0;
  LONGLONG ll = 0;
  ULONGLONG ull = 0, max = 0;
  float fl = 0;
  double d = 0;
  Load(bytes, [&](CArchive& ar) {
    ar >> t >> f >> c >> by >> sh >> w >> i >> u >> l >> ul >> ll >> ull >> fl >> d >> max;
  });
  EXPECT_TRUE(t && !f && c == 'A' && by == 0x80 && sh == -2 && w == 0x1234 && i == -1);
  EXPECT_TRUE(u == 0x89ABCDEFu && ll == -4 && ull == 0x0102030405060708ull && fl == 1.5f);
  EXPECT_EQ(l, -3);  // sign-extended from four bytes
  EXPECT_EQ(ul, 0xFEDCBA98u);
  EXPECT_EQ(d, -0.25);
  EXPECT_EQ(max, std::numeric_limits<ULONGLONG>::max());
}

TEST(Archive, StringLengthPrefixesCoverEveryWidth) {
  EXPECT_EQ(ToHex(Store([](CArchive& ar) { ar << CString("abc"); })), "03 61 62 63");
  EXPECT_EQ(ToHex(Store([](CArchive& ar) { ar << CString(); })), "00");
  EXPECT_EQ(ToHex(Store([](CArchive& ar) { ar << "abc"; })), "03 61 62 63");
  EXPECT_EQ(ToHex(Store([](CArchive& ar) { ar << static_cast<const char*>(nullptr); })), "00");

  const auto prefix = [](int n) {
    const Bytes bytes = Store([n](CArchive& ar) { ar << CString('x', n); });
    return ToHex(Bytes(bytes.begin(), bytes.end() - n));
  };
  EXPECT_EQ(prefix(254), "FE");
  EXPECT_EQ(prefix(255), "FF FF 00");
  EXPECT_EQ(prefix(0xFFFD), "FF FD FF");
  EXPECT_EQ(prefix(0xFFFE), "FF FF FF FE FF 00 00");
  EXPECT_EQ(prefix(0x10000), "FF FF FF 00 00 01 00");

  // The helpers, in every width.
  const Bytes bytes = Store([](CArchive& ar) {
    AfxWriteStringLength(ar, 0xFFFFFFFFull, FALSE);
    AfxWriteStringLength(ar, 0x123456789ull, TRUE);
    AfxWriteStringLength(ar, 1, TRUE);
  });
  EXPECT_EQ(ToHex(bytes),
            "FF FF FF FF FF FF FF FF FF FF FF 00 00 00 00 "
            "FF FE FF FF FF FF FF FF FF FF 89 67 45 23 01 00 00 00 "
            "FF FE FF 01");
  Load(bytes, [](CArchive& ar) {
    int size = 0;
    EXPECT_EQ(AfxReadStringLength(ar, size), 0xFFFFFFFFull);
    EXPECT_EQ(size, 1);
    EXPECT_EQ(AfxReadStringLength(ar, size), 0x123456789ull);
    EXPECT_EQ(size, 2);
    EXPECT_EQ(AfxReadStringLength(ar, size), 1u);
    EXPECT_EQ(size, 2);
  });
}

TEST(Archive, StringsRoundTripAcrossBufferBoundaries) {
  std::vector<CString> texts;
  for (const int length : {300, 4095, 4097, 70000, 0, 254, 255, 65534}) {
    std::string s(static_cast<size_t>(length), '\0');
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(i * 7 + length);
    texts.emplace_back(s);
  }
  const Bytes bytes = Store([&](CArchive& ar) {
    for (const CString& s : texts) ar << s << static_cast<BYTE>(0x5A);
  });
  Load(bytes, [&](CArchive& ar) {
    for (const CString& expected : texts) {
      CString s;
      BYTE marker = 0;
      ar >> s >> marker;
      ASSERT_EQ(s, expected);
      ASSERT_EQ(marker, 0x5A);
    }
  });
}

TEST(Archive, ReadsWideStringsAsUtf8) {
  CString s;
  Load(FromHex("FF FE FF 01 41 00"), [&](CArchive& ar) { ar >> s; });
  EXPECT_EQ(s, "A");
  // U+1F600 and U+10FFFF as surrogate pairs, 宋体, U+0800 (the first of three bytes), then a
  // high surrogate before a letter and one at the end, each unpaired.
  Load(FromHex("FF FE FF 0A 3D D8 00 DE FF DB FF DF 8B 5B 53 4F 00 08 00 D8 41 00 00 D8"),
       [&](CArchive& ar) { ar >> s; });
  EXPECT_EQ(s,
            "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF宋体\xE0\xA0\x80\xEF\xBF\xBD"
            "A\xEF\xBF\xBD");
}

// Input that ends early raises end of file; a claimed length far beyond the input fails without
// allocating it. The string keeps its value either way.
TEST(Archive, TruncatedInputAndHugeClaimedLengthsRaise) {
  int value = 0;
  EXPECT_EQ(
      ArchiveErrorCause([&] { Load(FromHex("01 02 03"), [&](CArchive& ar) { ar >> value; }); }),
      CArchiveException::endOfFile);
  CString s("kept");
  const auto causeOf = [&](const char* hex) {
    return ArchiveErrorCause([&] { Load(FromHex(hex), [&](CArchive& ar) { ar >> s; }); });
  };
  for (const char* hex : {"", "05 61 62", "FF", "FF 00", "FF FF FF 10", "FF FE FF 02 41 00 42"}) {
    EXPECT_EQ(causeOf(hex), CArchiveException::endOfFile) << hex;
  }
  // Claims of 2^62 bytes, 4 GiB - 2 and 2 GiB, with only a few bytes behind each.
  for (const char* hex : {"FF FF FF FF FF FF FF 00 00 00 00 00 00 00 40 61",
                          "FF FF FF FD FF FF FF 61 62", "FF FF FF 00 00 00 80 61"}) {
    const int cause = causeOf(hex);
    EXPECT_TRUE(cause == CArchiveException::endOfFile ||
                cause == CArchiveException::genericException)
        << hex;
  }
  EXPECT_EQ(s, "kept");
}

TEST(Archive, WrongModeRaisesModeErrorsAndCloseLeavesTheFileAfterWhatWasRead) {
  CMemFile file;
  {
    CArchive storing(&file, CArchive::store);
    int value = 0;
    CString s;
    std::string raw;
    EXPECT_EQ(ArchiveErrorCause([&] { storing >> value; }), CArchiveException::writeOnly);
    EXPECT_EQ(ArchiveErrorCause([&] { storing >> s; }), CArchiveException::writeOnly);
    EXPECT_EQ(ArchiveErrorCause([&] { storing.ReadExact(raw, 3); }), CArchiveException::writeOnly);
    for (int i = 0; i < 10; ++i) storing << i;
  }
  EXPECT_EQ(file.GetLength(), 40u);
  file.SeekToBegin();
  CArchive loading(&file, CArchive::load);
  EXPECT_EQ(ArchiveErrorCause([&] { loading << 1; }), CArchiveException::readOnly);
  EXPECT_EQ(ArchiveErrorCause([&] { loading << CString("x"); }), CArchiveException::readOnly);
  int first = -1;
  loading >> first;
  loading.Close();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(file.GetPosition(), 4u);
}

TEST(Archive, BulkReadAndWriteAcrossTheBuffer) {
  Bytes payload(10000);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<unsigned char>(i * 31);
  const Bytes bytes = Store([&](CArchive& ar) {
    ar << static_cast<BYTE>(1);
    ar.Write(payload.data(), 100);
    ar.Write(payload.data() + 100, static_cast<UINT>(payload.size() - 100));
  });
  ASSERT_EQ(bytes.size(), payload.size() + 1);
  Load(bytes, [&](CArchive& ar) {
    BYTE head = 0;
    ar >> head;
    // What the buffer holds and what the file holds beyond it.
    EXPECT_EQ(ar.GetLoadRemaining(), payload.size());
    Bytes back(payload.size() + 10);
    EXPECT_EQ(ar.Read(back.data(), 50), 50u);
    EXPECT_EQ(ar.Read(back.data() + 50, static_cast<UINT>(back.size() - 50)), payload.size() - 50);
    back.resize(payload.size());
    EXPECT_EQ(back, payload);
  });
}

}  // namespace
