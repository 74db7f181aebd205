#include "lumotools/util/file_info.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "lumotools/platform/exception.h"
#include "support/raises.h"
#include "support/scratch_dir.h"

namespace {

using lumo_test::Raises;
using lumo_test::ScratchDir;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  return bytes;
}

DWORD ZlibCrc(const std::string& bytes, size_t n) {
  return static_cast<DWORD>(
      crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), std::min(n, bytes.size())));
}

// The sum of the little-endian words of the first n bytes, a last partial word padded with zeros.
DWORD PlainSum(const std::string& bytes, size_t n) {
  DWORD sum = 0;
  for (size_t i = 0; i < std::min(n, bytes.size()); ++i) {
    sum += static_cast<DWORD>(static_cast<unsigned char>(bytes[i])) << (8 * (i % 4));
  }
  return sum;
}

CFileInfo InfoFor(const std::string& path) {
  CFileInfo fi;
  fi.Create(CString(path.c_str()), 7);
  return fi;
}

TEST(FileInfo, ChecksumsMatchTheReferences) {
  ScratchDir dir;
  CFileInfo digits = InfoFor(dir.WriteFile("digits", "123456789"));
  EXPECT_EQ(0xCBF43926u, digits.GetCRC(0, TRUE));
  EXPECT_EQ(0xCBF43926u, digits.GetCRC(0, FALSE));  // final value kept, not complemented again
  EXPECT_EQ(0xCBF43926u, digits.GetCRC(9, FALSE));  // a count rounded up past the end too
  CFileInfo empty = InfoFor(dir.WriteFile("empty", ""));
  EXPECT_EQ(0u, empty.GetChecksum(0, TRUE));
  EXPECT_EQ(0xFFFFFFFFu, empty.GetCRC(0, TRUE));

  for (size_t size : {1u, 3u, 4u, 5u, 16383u, 16384u, 16385u, 100003u}) {
    const std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
    CFileInfo fi = InfoFor(dir.WriteFile("f" + std::to_string(size), bytes));
    DWORD progress = 0;
    EXPECT_EQ(ZlibCrc(bytes, size), fi.GetCRC(0, TRUE, nullptr, &progress)) << size;
    EXPECT_EQ(PlainSum(bytes, size), fi.GetChecksum(0, TRUE, nullptr, &progress)) << size;
    EXPECT_EQ(2 * size, progress);
  }
}

// A file of 4 GB or more is read from its start to its end, and its CRC left as the register. The
// file is sparse, a head and zeros past 4 GB, in shared memory where there is some: reading a hole
// there costs no page allocation (seconds less than on a disk).
TEST(FileInfo, FileOfFourGigabytesOrMoreKeepsTheRegister) {
  ScratchDir dir;
  const std::string head = "123456789";
  const unsigned long long zeros = (1ULL << 32) - head.size();
  const std::string path = std::filesystem::is_directory("/dev/shm")
                               ? "/dev/shm/lumo_large_" + std::to_string(::getpid())
                               : dir.File("large");
  struct Remover {
    const std::string& path;
    ~Remover() { std::remove(path.c_str()); }
  } remover{path};
  std::ofstream(path) << head;
  std::filesystem::resize_file(path, head.size() + zeros);
  CFileInfo fi = InfoFor(path);
  ASSERT_EQ(head.size() + zeros, fi.GetLength64());
  const DWORD crc = fi.GetCRC(0, TRUE);
  // The register after the head, advanced over the zeros.
  EXPECT_EQ(static_cast<DWORD>(crc32_combine64(~ZlibCrc(head, 9), 0, zeros)), crc);
  EXPECT_EQ(crc, fi.GetCRC(0, FALSE)) << "run again from the start";
}

// A count is rounded up to whole words and read in whole chunks; a later run resumes from the
// running values, which an abort or a file gone leaves as they were. Every run closes the file.
TEST(FileInfo, RunsResumeFromTheRunningValues) {
  ScratchDir dir;
  const std::string bytes = RandomBytes(50000, 1);
  const std::string path = dir.WriteFile("data", bytes);
  const auto openFiles = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const auto filesBefore = openFiles();
  CFileInfo fi = InfoFor(path);
  DWORD progress = 0;
  // 5 rounds up to 8.
  EXPECT_EQ(PlainSum(bytes, 8), fi.GetChecksum(5, TRUE, nullptr, &progress));
  EXPECT_EQ(8u, progress);
  // A target of 20000 reads chunks of 16384 and so stops after 32768 bytes; the partial CRC is
  // the uncomplemented register.
  EXPECT_EQ(PlainSum(bytes, 32768), fi.GetChecksum(20000, TRUE));
  EXPECT_EQ(~ZlibCrc(bytes, 32768), fi.GetCRC(20000, TRUE));
  // Already past a smaller target: the running values come back without reading.
  EXPECT_EQ(~ZlibCrc(bytes, 32768), fi.GetCRC(30000, FALSE));
  // Continuing to the end completes the same CRC as one run.
  EXPECT_EQ(ZlibCrc(bytes, 50000), fi.GetCRC(0, FALSE));
  EXPECT_EQ(PlainSum(bytes, 50000), fi.GetChecksum(0, FALSE));
  // A count beyond the size means the whole file.
  EXPECT_EQ(ZlibCrc(bytes, 50000), fi.GetCRC(1u << 30, TRUE));

  int abort = 1;
  progress = 0;
  EXPECT_EQ(0xFFFFFFFFu, fi.GetCRC(0, TRUE, &abort, &progress));
  EXPECT_EQ(0u, fi.GetChecksum(0, TRUE, &abort, &progress));
  EXPECT_EQ(0u, progress);
  abort = 0;
  EXPECT_EQ(ZlibCrc(bytes, 50000), fi.GetCRC(0, FALSE, &abort, &progress));
  EXPECT_EQ(PlainSum(bytes, 4), fi.GetChecksum(4, TRUE, &abort, &progress));
  EXPECT_EQ(50004u, progress);
  EXPECT_EQ(openFiles(), filesBefore);
  std::remove(path.c_str());
  EXPECT_EQ(PlainSum(bytes, 4), fi.GetChecksum(0, FALSE));
  EXPECT_EQ(0xFFFFFFFFu, fi.GetCRC(0, TRUE));
}

TEST(FileInfo, CreateKeepsRunningValuesAndClearsProgress) {
  ScratchDir dir;
  const std::string path = dir.WriteFile("sub/name.tar.gz", "abcdabcd");
  CFileInfo fi = InfoFor(path);
  const DWORD sum = fi.GetChecksum();
  const DWORD crc = fi.GetCRC();
  fi.Create(CString(path.c_str()), 9);
  // Fed again on top of the running values.
  EXPECT_EQ(2 * sum, fi.GetChecksum(0, FALSE));
  EXPECT_EQ(static_cast<DWORD>(crc32(~crc, reinterpret_cast<const Bytef*>("abcdabcd"), 8)),
            fi.GetCRC(0, FALSE));
  EXPECT_EQ(9, fi.GetUserValue());

  EXPECT_EQ(CString(path.c_str()), fi.GetFilePath());
  EXPECT_EQ(CString(""), fi.GetFileDrive());
  EXPECT_EQ(CString((dir.path() + "/sub/").c_str()), fi.GetFileDir());
  EXPECT_EQ(fi.GetFileDir(), fi.GetFileRoot());
  EXPECT_EQ(CString("name.tar"), fi.GetFileTitle());
  EXPECT_EQ(CString(".gz"), fi.GetFileExt());
  EXPECT_EQ(CString("name.tar.gz"), fi.GetFileName());
  EXPECT_EQ(8u, fi.GetLength());
  EXPECT_FALSE(fi.IsDirectory());

  const CFileInfo before = fi;
  fi.Create(CString(dir.File("missing").c_str()), 1);
  EXPECT_EQ(before.GetFilePath(), fi.GetFilePath());
  EXPECT_EQ(9, fi.GetUserValue());
}

// Found data fills the fields; a file time before 1970 raises the framework's exception (a walk
// meeting such a file is tested with the arrays).
TEST(FileInfo, FoundDataFillsTheFieldsAndTimesBefore1970Raise) {
  WIN32_FIND_DATAA fd{};
  fd.dwFileAttributes = FILE_ATTRIBUTE_HIDDEN;
  fd.nFileSizeHigh = 1;
  fd.nFileSizeLow = 0x23456789;
  std::snprintf(fd.cFileName, sizeof fd.cFileName, "%s", "entry");
  const ULONGLONG t = (1700000000ULL + 11644473600ULL) * 10000000ULL;
  fd.ftLastWriteTime = FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  CFileInfo fi;
  fi.Create(&fd, "dir/", 4);
  EXPECT_EQ(CString("dir/entry"), fi.GetFilePath());
  EXPECT_EQ(0x123456789ULL, fi.GetLength64());
  EXPECT_EQ(1700000000, fi.GetLastWriteTime().GetTime());
  EXPECT_EQ(0, fi.GetCreationTime().GetTime());  // 1601 is before 1900
  EXPECT_TRUE(fi.IsHidden() && !fi.IsNormal());
  EXPECT_EQ(4, fi.GetUserValue());

  const ULONGLONG t1960 = (11644473600ULL - 10ULL * 365 * 86400) * 10000000ULL;
  fd.ftLastWriteTime = FILETIME{static_cast<DWORD>(t1960), static_cast<DWORD>(t1960 >> 32)};
  EXPECT_TRUE(Raises<CInvalidArgException>([&] { fi.Create(&fd, "", 0); }));
}

}  // namespace
