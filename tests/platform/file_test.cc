#include "lumotools/platform/file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "support/bytes.h"
#include "support/scratch_dir.h"

namespace {

using lumo_test::ScratchDir;

TEST(File, WritesReadsSeeksAndTruncates) {
  ScratchDir dir;
  const std::string path = dir.File("data.bin");
  {
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    file.Write("hello, world", 12);
    EXPECT_EQ(file.GetLength(), 12u);
    EXPECT_EQ(file.GetFileName(), "data.bin");
    EXPECT_EQ(file.GetFilePath(), path.c_str());
  }
  CFile file(path.c_str(), CFile::modeReadWrite);
  char buf[16] = {};
  EXPECT_EQ(file.Seek(7, CFile::begin), 7u);
  EXPECT_EQ(file.GetPosition(), 7u);
  EXPECT_EQ(file.Read(buf, sizeof buf), 5u);
  EXPECT_STREQ(buf, "world");
  file.SetLength(5);
  EXPECT_EQ(file.SeekToEnd(), 5u);
  EXPECT_EQ(file.Seek(0, CFile::begin), 0u);
  file.Close();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  file.Flush();  // nothing open, nothing to sync
  CFile aborted(path.c_str(), CFile::modeRead);
  aborted.Abort();
  EXPECT_EQ(aborted.m_hFile, CFile::hFileNull);
  CFile::Rename(path.c_str(), dir.File("renamed.bin").c_str());
  EXPECT_EQ(CFile(dir.File("renamed.bin").c_str(), CFile::modeRead).GetLength(), 5u);
}

TEST(File, FailuresReportTheSystemError) {
  ScratchDir dir;
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(dir.File("missing/none.bin").c_str(), CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_GT(error.m_lOsError, 0);
  EXPECT_NE(error.GetDescription().Find("none.bin"), -1);
  const auto causeOf = lumo_test::ErrorCause<CFileException>;
  EXPECT_EQ(causeOf([&] { CFile absent(dir.File("absent").c_str(), CFile::modeRead); }),
            CFileException::fileNotFound);
  EXPECT_EQ(causeOf([&] { CFile::Remove(dir.File("absent").c_str()); }),
            CFileException::fileNotFound);
  EXPECT_EQ(causeOf([&] { CFile::Rename(dir.File("absent").c_str(), dir.File("b").c_str()); }),
            CFileException::fileNotFound);
  char byte = 0;
  EXPECT_EQ(causeOf([&] { CFile(dir.path().c_str(), CFile::modeRead).Read(&byte, 1); }),
            CFileException::badPath);

  const CMemoryException e;
  char text[5] = "????";
  UINT help = 7;
  EXPECT_TRUE(e.GetErrorMessage(text, sizeof text, &help));
  EXPECT_STREQ(text, "out ");  // cut to the caller's buffer
  EXPECT_EQ(help, 0u);
  EXPECT_TRUE(e.GetErrorMessage(text, sizeof text));  // no help context asked for
  EXPECT_FALSE(e.GetErrorMessage(text, 0));
}

// A write that a signal interrupts part way through goes on from where it stopped; a read that a
// pipe fills in pieces goes on for the rest, and takes no more than asked.
TEST(File, PipeWritesAndReadsGoOnUntilTheCountIsMet) {
  ScratchDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  struct sigaction action = {};
  action.sa_handler = [](int) {};  // without SA_RESTART a blocked write returns what it wrote
  ASSERT_EQ(0, ::sigaction(SIGUSR1, &action, nullptr));
  std::string sent(1 << 18, '\0');
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 + i / 4093);
  const pthread_t writer = ::pthread_self();
  std::string received;
  std::thread reader([&] {
    const int fd = ::open(fifo.c_str(), O_RDONLY);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the writer fills the pipe
    ::pthread_kill(writer, SIGUSR1);
    char buf[65536];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) received.append(buf, n);
    ::close(fd);
  });
  {
    CFile file(fifo.c_str(), CFile::modeWrite);
    file.Write(sent.data(), static_cast<UINT>(sent.size()));
    file.Flush();  // a pipe has nothing to sync, which is no error
  }
  reader.join();
  EXPECT_TRUE(received == sent) << received.size();

  std::thread piecewise([&] {
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    EXPECT_EQ(::write(fd, "abc", 3), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the reader takes "abc" alone
    EXPECT_EQ(::write(fd, "defghijkl", 9), 9);
    ::close(fd);
  });
  CFile file(fifo.c_str(), CFile::modeRead);
  char buf[16] = {};
  EXPECT_EQ(file.Read(buf, 6), 6u);
  EXPECT_EQ(file.Read(buf + 6, 9), 6u);
  piecewise.join();
  EXPECT_STREQ(buf, "abcdefghijkl");
}

}  // namespace
