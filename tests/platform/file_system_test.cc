#include "lumotools/platform/file_system.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lumotools/platform/sync.h"
#include "lumotools/platform/time.h"
#include "support/scratch_dir.h"

namespace {

using lumo_test::ScratchDir;

// The entries a search finds, by name.
std::map<std::string, WIN32_FIND_DATAA> Search(const std::string& pattern,
                                               FINDEX_SEARCH_OPS op = FindExSearchNameMatch,
                                               DWORD flags = 0,
                                               FINDEX_INFO_LEVELS info = FindExInfoStandard) {
  std::map<std::string, WIN32_FIND_DATAA> found;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileExA(pattern.c_str(), info, &fd, op, nullptr, flags);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    found[fd.cFileName] = fd;
  } while (FindNextFileA(h, &fd));
  EXPECT_TRUE(FindClose(h));
  return found;
}

using Names = std::set<std::string>;

Names Found(const std::string& pattern, DWORD flags = 0,
            FINDEX_SEARCH_OPS op = FindExSearchNameMatch) {
  Names names;
  for (const auto& entry : Search(pattern, op, flags)) names.insert(entry.first);
  return names;
}

// The entry a search for path finds first, filled over garbage.
WIN32_FIND_DATAA Entry(const std::string& path) {
  WIN32_FIND_DATAA fd;
  std::memset(&fd, 'x', sizeof fd);
  HANDLE h = FindFirstFileA(path.c_str(), &fd);
  EXPECT_NE(INVALID_HANDLE_VALUE, h) << path;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return fd;
}

TEST(FileSearch, MasksMatchWithoutRegardToCase) {
  ScratchDir dir;
  const Names all{"a.TXT", "b.txt", "B.txt", "c.txt.bak", "README", "x1.dat", "x22.dat", ".x"};
  for (const std::string& name : all) dir.WriteFile(name, "data");
  const std::string base = dir.path() + "/";
  EXPECT_EQ(Found(base + "*.txt"), (Names{"a.TXT", "b.txt", "B.txt"}));
  EXPECT_EQ(Found(base + "x?.dat"), (Names{"x1.dat"}));
  EXPECT_EQ(Found(base + "*.*", LUMO_FIND_NO_DOT_ENTRIES), all);
  EXPECT_EQ(Found(base + "*").size(), 10u);
  EXPECT_TRUE(Found(base + "..", LUMO_FIND_NO_DOT_ENTRIES).empty());
  EXPECT_EQ(Found(base + "readme.*"), (Names{"README"}));
  EXPECT_TRUE(Found(base + "*.none").empty());
  // A name without wildcards is that entry, or else one spelling of it in other cases; `\`
  // reads as a separator.
  for (const char* name : {"b.txt", "B.txt"}) {
    EXPECT_EQ(Found(base + name, LUMO_FIND_NO_DOT_ENTRIES), Names{name});
  }
  EXPECT_EQ(Found(dir.path() + "\\B.TXT").size(), 1u);
  EXPECT_EQ(Found(dir.path() + "\\A.txt"), (Names{"a.TXT"}));
  EXPECT_TRUE(Found(dir.path() + "/missing/*").empty());
  EXPECT_NE(Found("/*").count("tmp"), 0u);
}

TEST(FileSearch, DescribesEntriesAndLinksAsTheirOwnLookupsDo) {
  ScratchDir dir;
  const std::string file = dir.WriteFile("sub/.hidden", std::string(70000, 'x'));
  ASSERT_EQ(0, ::chmod(file.c_str(), 0444));
  WIN32_FIND_DATAA fd = Entry(dir.path() + "/sub/.hidden");
  EXPECT_EQ(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, fd.dwFileAttributes);
  EXPECT_EQ(0u, fd.nFileSizeHigh);
  EXPECT_EQ(70000u, fd.nFileSizeLow);
  EXPECT_EQ('\0', fd.cAlternateFileName[0]);
  const CTime written(fd.ftLastWriteTime);
  EXPECT_LE(std::abs(static_cast<long long>(written.GetTime() - CTime::GetCurrentTime().GetTime())),
            60);
  // "." and ".." are not hidden.
  for (const char* name : {"/sub", "/sub/.", "/sub/.."}) {
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, Entry(dir.path() + name).dwFileAttributes) << name;
  }
  dir.WriteFile("plain", "12");
  EXPECT_EQ(FILE_ATTRIBUTE_NORMAL, Entry(dir.path() + "/plain").dwFileAttributes);

  // Links: to a directory, which counts as one when searching for directories, and dangling.
  ASSERT_EQ(0, ::symlink((dir.path() + "/sub").c_str(), (dir.path() + "/link").c_str()));
  ASSERT_EQ(0, ::symlink((dir.path() + "/gone").c_str(), (dir.path() + "/dangling").c_str()));
  dir.WriteFile(".hid/f", "1");
  EXPECT_EQ(Found(dir.path() + "/*", 0, FindExSearchLimitToDirectories),
            (Names{".", "..", "sub", "link", ".hid"}));
  EXPECT_EQ(Found(dir.path() + "/link", 0, FindExSearchLimitToDirectories), Names{"link"});
  EXPECT_TRUE(Found(dir.path() + "/plain", 0, FindExSearchLimitToDirectories).empty());
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
            Entry(dir.path() + "/link").dwFileAttributes);
  EXPECT_EQ(FILE_ATTRIBUTE_REPARSE_POINT, Entry(dir.path() + "/dangling").dwFileAttributes);

  // Asked for directory names only, a search spares the status of plain directories; a link and
  // a file are described as without the flag.
  auto found = Search(dir.path() + "/*", FindExSearchNameMatch,
                      LUMO_FIND_NO_DOT_ENTRIES | LUMO_FIND_DIRECTORY_NAMES_ONLY, FindExInfoBasic);
  ASSERT_EQ(5u, found.size());
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, found["sub"].dwFileAttributes);
  EXPECT_EQ(0u, found["sub"].ftLastWriteTime.dwHighDateTime);
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, found[".hid"].dwFileAttributes);
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
            found["link"].dwFileAttributes);
  EXPECT_NE(0u, found["link"].ftLastWriteTime.dwHighDateTime);
  EXPECT_EQ(2u, found["plain"].nFileSizeLow);
  EXPECT_NE(0u, found["plain"].ftLastWriteTime.dwHighDateTime);
}

TEST(FileSearch, TimesBefore1601AreZero) {
  // tmpfs holds times that far back; other file systems clamp them.
  char path[] = "/dev/shm/lumo-old-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) GTEST_SKIP() << "no /dev/shm";
  ::close(fd);
  const timespec year1589[2] = {{-12'000'000'000, 0}, {-12'000'000'000, 0}};
  const bool set = ::utimensat(AT_FDCWD, path, year1589, 0) == 0;
  const WIN32_FIND_DATAA entry = Entry(path);
  ::unlink(path);
  if (!set) GTEST_SKIP() << "the file system refuses the time";
  EXPECT_EQ(0u, entry.ftLastWriteTime.dwLowDateTime | entry.ftLastWriteTime.dwHighDateTime);
}

// Directories of long names take many reads of the kernel's entries; two searches open at once
// each keep their own place.
TEST(FileSearch, LargeDirectoriesAreReadWholeBySearchesOpenTogether) {
  ScratchDir dirs[2];
  std::multiset<std::string> written[2], found[2];
  for (int i = 0; i < 900; ++i) {
    const std::string name = std::to_string(i) + std::string(200, 'n');
    dirs[i % 3 == 0].WriteFile(name, "");
    written[i % 3 == 0].insert(name);
  }
  // A search closed leaves its storage to the next one; two open at once keep their own.
  EXPECT_EQ(Names(written[1].begin(), written[1].end()),
            Found(dirs[1].path() + "/*", LUMO_FIND_NO_DOT_ENTRIES));
  WIN32_FIND_DATAA fd[2];
  HANDLE h[2];
  for (int d = 0; d < 2; ++d) {
    h[d] = FindFirstFileExA((dirs[d].path() + "/*").c_str(), FindExInfoBasic, &fd[d],
                            FindExSearchNameMatch, nullptr, LUMO_FIND_NO_DOT_ENTRIES);
    ASSERT_NE(INVALID_HANDLE_VALUE, h[d]);
  }
  for (bool more[2] = {true, true}; more[0] || more[1];) {
    for (int d = 0; d < 2; ++d) {
      if (more[d]) found[d].insert(fd[d].cFileName);
      more[d] = more[d] && FindNextFileA(h[d], &fd[d]);
    }
  }
  EXPECT_TRUE(FindClose(h[0]));
  EXPECT_TRUE(FindClose(h[1]));
  EXPECT_EQ(written[0], found[0]);
  EXPECT_EQ(written[1], found[1]);
}

// Also the handle of another kind, or none, that each call is given.
TEST(Handles, WrongOrMissingHandlesAreRefused) {
  WIN32_FIND_DATAA fd;
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &fd));
  EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(FindClose(nullptr));
  EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, "Global\\named"), nullptr);
  EXPECT_FALSE(SetEvent(nullptr));
  EXPECT_FALSE(ResetEvent(nullptr));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(nullptr));
  HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(FindClose(event));
  EXPECT_FALSE(ReadFile(event, &fd, 1, &fd.dwReserved0, nullptr));
  CloseHandle(event);
}

// Opens path for reading with CreateFileA.
HANDLE Open(const std::string& path, DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN,
            DWORD access = GENERIC_READ) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
}

TEST(FileReading, ReadsSeeksAndRefusesWhatItCannotRead) {
  ScratchDir dir;
  const std::string path = dir.WriteFile("data", "0123456789");
  HANDLE h = Open(path);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  char buf[16] = {};
  DWORD got = 0;
  EXPECT_EQ(4u, SetFilePointer(h, 4, nullptr, FILE_BEGIN));
  EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));
  EXPECT_EQ(6u, got);
  EXPECT_EQ("456789", std::string(buf, got));
  EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));
  EXPECT_EQ(0u, got);
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(h, -1, nullptr, FILE_BEGIN));
  EXPECT_EQ(0u, SetFilePointer(h, 0, nullptr, FILE_BEGIN));
  LONG high = 0;
  EXPECT_EQ(8u, SetFilePointer(h, -2, &(high = -1), FILE_END));
  EXPECT_EQ(0, high);
  EXPECT_TRUE(CloseHandle(h));

  // A directory, a missing file, a pipe, and a request to write are refused.
  ASSERT_EQ(0, ::mkfifo(dir.File("pipe").c_str(), 0600));
  for (const std::string& bad : {dir.path(), dir.File("missing"), dir.File("pipe")}) {
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(bad, 0)) << bad;
  }
  EXPECT_EQ(INVALID_HANDLE_VALUE, Open(path, 0, GENERIC_READ | 0x40000000));
}

TEST(FileReading, SequentialScanReadsAheadAndSeeksExactly) {
  ScratchDir dir;
  std::string content(300000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 251);
  const std::string path = dir.WriteFile("big", content);
  HANDLE h = Open(path);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  std::string buf(400000, '\0');
  DWORD got = 0;
  // Whether reading n bytes gives those at pos, as many as the file holds.
  const auto readsAt = [&](size_t pos, DWORD n) {
    return ReadFile(h, buf.data(), n, &got, nullptr) &&
           buf.substr(0, got) == content.substr(pos, n);
  };
  EXPECT_TRUE(readsAt(0, 1000));
  EXPECT_EQ(1010u, SetFilePointer(h, 10, nullptr, FILE_CURRENT));
  EXPECT_TRUE(readsAt(1010, 16384));
  EXPECT_EQ(5u, SetFilePointer(h, 5, nullptr, FILE_BEGIN));
  EXPECT_TRUE(readsAt(5, 100));
  EXPECT_TRUE(readsAt(105, 400000));  // more than the read-ahead holds: the rest of the file
  EXPECT_TRUE(readsAt(300000, 10));
  CloseHandle(h);

  // Views in chunks that do not divide the read-ahead, over a file that fills it more than once:
  // every byte once, in order, fewer only at the end; a file opened without the sequential flag
  // always reads into the given buffer.
  content += content + content + content + content;
  const std::string longer = dir.WriteFile("longer", content);
  for (DWORD flags : {FILE_FLAG_SEQUENTIAL_SCAN, DWORD{0}}) {
    h = Open(longer, flags);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::string seen;
    const BYTE* data = nullptr;
    do {
      ASSERT_TRUE(LumoReadFileView(h, buf.data(), 7001, &data, &got));
      if (flags == 0) {
        EXPECT_EQ(reinterpret_cast<const BYTE*>(buf.data()), data);
      }
      if (got != 0 && got < 7001) {
        EXPECT_EQ(content.size(), seen.size() + got);
      }
      seen.append(reinterpret_cast<const char*>(data), got);
    } while (got != 0);
    EXPECT_EQ(content, seen);
    CloseHandle(h);
  }
}

// The result and the parts of a path, as "result:drive|dir|fname|ext".
std::string SplitPath(const char* path) {
  char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
  const int result = _splitpath_s(path, drive, sizeof drive, dir, sizeof dir, fname, sizeof fname,
                                  ext, sizeof ext);
  return std::to_string(result) + ":" + drive + "|" + dir + "|" + fname + "|" + ext;
}

TEST(SplitPath, SplitsLikeTheRuntime) {
  EXPECT_EQ(SplitPath("C:\\data\\sub/report.final.txt"), "0:C:|\\data\\sub/|report.final|.txt");
  EXPECT_EQ(SplitPath("/home/u/.profile"), "0:|/home/u/||.profile");
  EXPECT_EQ(SplitPath("name"), "0:||name|");
  // A part that does not fit empties every part.
  EXPECT_EQ(SplitPath(("/" + std::string(300, 'd') + "/file.txt").c_str()), "34:|||");

  char fname[8];
  EXPECT_EQ(0, _splitpath_s("/a/b.c", nullptr, 0, nullptr, 0, fname, sizeof fname, nullptr, 0));
  EXPECT_STREQ("b", fname);
  EXPECT_EQ(22, _splitpath_s(nullptr, nullptr, 0, nullptr, 0, fname, sizeof fname, nullptr, 0));
  EXPECT_EQ(22, _splitpath_s("/a", nullptr, 5, nullptr, 0, nullptr, 0, nullptr, 0));
}

}  // namespace
