#include "lumotools/platform/mem_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/bytes.h"

namespace {

int MemoryErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (CMemoryException* e) {
    e->Delete();
    return 1;
  }
  return 0;
}

TEST(MemFile, GrowsAndReadsBack) {
  CMemFile file(16);
  std::vector<unsigned char> data(5000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i);
  for (size_t at = 0; at < data.size(); at += 100) file.Write(data.data() + at, 100);
  EXPECT_EQ(file.GetLength(), data.size());
  EXPECT_EQ(file.GetPosition(), data.size());

  std::vector<unsigned char> back(6000);
  file.SeekToBegin();
  EXPECT_EQ(file.Read(back.data(), static_cast<UINT>(back.size())), data.size());
  back.resize(data.size());
  EXPECT_EQ(back, data);
  EXPECT_EQ(file.Read(back.data(), 1), 0u);
}

TEST(MemFile, SeekPastEndThenWriteZeroFillsTheGap) {
  CMemFile file;
  file.Write("ab", 2);
  EXPECT_EQ(file.Seek(3, CFile::current), 5u);
  file.Write("z", 1);
  ASSERT_EQ(file.GetLength(), 6u);
  char back[6];
  file.SeekToBegin();
  file.Read(back, 6);
  EXPECT_EQ(std::memcmp(back, "ab\0\0\0z", 6), 0);
  EXPECT_EQ(file.Seek(-1, CFile::end), 5u);
}

TEST(MemFile, SeekBeforeStartRaisesBadSeek) {
  CMemFile file;
  file.Write("abc", 3);
  EXPECT_EQ(lumo_test::ErrorCause<CFileException>([&] { file.Seek(-4, CFile::end); }),
            CFileException::badSeek);
  EXPECT_EQ(file.GetPosition(), 3u);
}

TEST(MemFile, AttachedWithoutGrowthReadsTheBufferAndRefusesToGrow) {
  unsigned char buffer[4] = {1, 2, 3, 4};
  CMemFile file(buffer, sizeof buffer);
  EXPECT_EQ(file.GetLength(), 4u);
  file.Seek(2, CFile::begin);
  file.Write("\x09", 1);
  EXPECT_EQ(buffer[2], 9);
  file.Write("\x07", 1);  // up to the buffer's end needs no growth
  EXPECT_EQ(buffer[3], 7);
  EXPECT_EQ(MemoryErrorOf([&] { file.Write("xyz", 3); }), 1);
  EXPECT_EQ(file.Detach(), buffer);
  EXPECT_EQ(file.GetLength(), 0u);
}

TEST(MemFile, AttachedWithGrowthMovesToItsOwnMemory) {
  unsigned char buffer[4] = {7, 7, 7, 7};
  CMemFile file(buffer, sizeof buffer, 64);
  EXPECT_EQ(file.GetLength(), 0u);
  file.Write("ab", 2);
  EXPECT_EQ(buffer[0], 'a');
  EXPECT_EQ(buffer[1], 'b');
  file.Write("cdef", 4);
  EXPECT_EQ(buffer[2], 7);
  EXPECT_EQ(file.GetLength(), 6u);
  BYTE* own = file.Detach();
  ASSERT_NE(own, buffer);
  EXPECT_EQ(std::memcmp(own, "abcdef", 6), 0);
  std::free(own);
}

TEST(MemFile, SetLengthTruncatesAndExtends) {
  CMemFile file;
  file.Write("abcdef", 6);
  file.SetLength(2);
  EXPECT_EQ(file.GetLength(), 2u);
  EXPECT_EQ(file.GetPosition(), 2u);
  file.SetLength(4);
  char back[4];
  file.SeekToBegin();
  EXPECT_EQ(file.Read(back, 4), 4u);
  EXPECT_EQ(std::memcmp(back, "ab\0\0", 4), 0);
}

}  // namespace
