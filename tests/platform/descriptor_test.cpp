#include "platform/descriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>

#include "testing/test_support.h"

namespace sonacli {
namespace {

TEST(Descriptor, WriteAllGoesOnAfterPartialWrites) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  TFileDescriptor readEnd(fds[0]);
  TFileDescriptor writeEnd(fds[1]);
  // Far more than a pipe holds, so that the writes come back short while the reader catches up.
  std::string bytes(1 << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::string received;
  std::thread reader([&] {
    char block[4096];
    for (ssize_t got; (got = ::read(readEnd.Get(), block, sizeof block)) > 0;) received.append(block, got);
  });
  EXPECT_TRUE(WriteAll(writeEnd.Get(), bytes));
  writeEnd.Close();
  reader.join();
  EXPECT_TRUE(received == bytes);
}

TEST(Descriptor, ClosedPipeFailsTheWriteWithoutEndingTheProcess) {
  IgnoreBrokenPipe();
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  const TFileDescriptor writeEnd(fds[1]);
  errno = 0;
  EXPECT_FALSE(WriteAll(writeEnd.Get(), "audio"));
  EXPECT_EQ(errno, EPIPE);
}

TEST(Descriptor, ReadsAndWritesAtAnOffsetLeaveThePositionAlone) {
  testing::ScopedTempDir dir;
  const std::string name = testing::WriteFile(dir.File("f"), "0123456789");
  const TFileDescriptor file(::open(name.c_str(), O_RDWR | O_CLOEXEC));
  ASSERT_TRUE(file.IsOpen());
  ASSERT_TRUE(WriteAllAt(file.Get(), "ab", 4));
  ASSERT_TRUE(WriteAllAt(file.Get(), "yz", 12));  // past the end: the gap reads as zeros
  std::string read(4, '\0');
  ASSERT_TRUE(ReadAllAt(file.Get(), read.data(), read.size(), 3));
  EXPECT_EQ(read, "3ab6");
  EXPECT_FALSE(ReadAllAt(file.Get(), read.data(), read.size(), 12));  // only two bytes there
  EXPECT_EQ(::lseek(file.Get(), 0, SEEK_CUR), 0);
  EXPECT_EQ(testing::ReadFile(name), std::string("0123ab6789\0\0yz", 14));
}

TEST(Descriptor, OwnerClosesOnceWhereverItMoves) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const int readEnd = fds[0];
  {
    TFileDescriptor first(fds[1]);
    TFileDescriptor second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    TFileDescriptor third;
    third = std::move(second);
    EXPECT_EQ(third.Get(), fds[1]);
  }
  EXPECT_EQ(::fcntl(fds[1], F_GETFD), -1);  // closed with the last owner
  char byte;
  EXPECT_EQ(::read(readEnd, &byte, 1), 0);  // the reader sees the end
  ::close(readEnd);
}

}  // namespace
}  // namespace sonacli
