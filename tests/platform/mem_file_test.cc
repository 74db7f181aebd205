#include "lumotools/platform/mem_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/raises.h"

namespace {

// The file's whole content; the position moves to its end.
std::string Content(CMemFile& file) {
  std::string bytes(static_cast<size_t>(file.GetLength()), '\0');
  file.SeekToBegin();
  EXPECT_EQ(file.Read(bytes.data(), static_cast<UINT>(bytes.size() + 1)), bytes.size());
  return bytes;
}

TEST(MemFile, GrowsSeeksAndZeroFillsGaps) {
  CMemFile file(16);
  EXPECT_EQ(file.GetLength(), 0u);
  std::string data(5000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i);
  for (size_t at = 0; at < data.size(); at += 100) file.Write(data.data() + at, 100);
  EXPECT_EQ(file.GetPosition(), data.size());
  EXPECT_EQ(Content(file), data);
  EXPECT_EQ(file.Read(data.data(), 1), 0u);

  file.SetLength(2);
  EXPECT_EQ(file.GetPosition(), 2u);
  EXPECT_EQ(file.Seek(3, CFile::current), 5u);
  file.Write("z", 1);
  file.SetLength(8);
  EXPECT_EQ(Content(file), std::string("\0\1\0\0\0z\0\0", 8));
  EXPECT_EQ(file.Seek(-1, CFile::end), 7u);
  // The last position there is; one more would overflow.
  EXPECT_EQ(file.Seek(LLONG_MAX, CFile::begin), static_cast<ULONGLONG>(LLONG_MAX));
  EXPECT_EQ(lumo_test::ErrorCause<CFileException>([&] { file.Seek(1, CFile::current); }),
            CFileException::badSeek);
  EXPECT_EQ(file.Seek(0, CFile::begin), 0u);
  EXPECT_EQ(lumo_test::ErrorCause<CFileException>([&] { file.Seek(-9, CFile::end); }),
            CFileException::badSeek);
  EXPECT_EQ(file.GetPosition(), 0u);
  const CString why = CFileException(CFileException::badSeek, EPERM).GetDescription();
  EXPECT_NE(why.Find(std::strerror(EPERM)), -1) << why.GetString();
}

TEST(MemFile, AttachedBufferIsWrittenInPlaceAndGrowsOnlyWhenAllowed) {
  unsigned char buffer[4] = {1, 2, 3, 4};
  CMemFile file;
  file.Write("owned", 5);  // freed by the attach
  file.Attach(buffer, sizeof buffer);
  EXPECT_EQ(file.GetLength(), 4u);
  file.Seek(2, CFile::begin);
  file.Write("\x09\x07", 2);  // up to the buffer's end needs no growth
  EXPECT_EQ(std::memcmp(buffer, "\x01\x02\x09\x07", 4), 0);
  EXPECT_TRUE(lumo_test::Raises<CMemoryException>([&] { file.Write("x", 1); })) << "grew";
  EXPECT_EQ(file.Detach(), buffer);
  EXPECT_EQ(file.GetLength(), 0u);

  // With growth the file starts empty and moves to its own memory when the buffer is full.
  std::memset(buffer, 7, sizeof buffer);
  CMemFile growing(buffer, sizeof buffer, 64);
  EXPECT_EQ(growing.GetLength(), 0u);
  growing.Write("ab", 2);
  growing.Write("cdef", 4);
  EXPECT_EQ(std::memcmp(buffer, "ab\x07\x07", 4), 0);
  EXPECT_EQ(growing.GetLength(), 6u);
  BYTE* own = growing.Detach();
  ASSERT_NE(own, buffer);
  EXPECT_EQ(std::memcmp(own, "abcdef", 6), 0);
  std::free(own);
}

}  // namespace
