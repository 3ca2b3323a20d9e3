#include "encode/avio_file.h"

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <string>

extern "C" {
#include <libavformat/avio.h>
}

#include "common/unicode_text.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using testing::ScopedTempDir;

TEST(AvioFile, WritesSeeksAndReadsAFile) {
  ScopedTempDir dir;
  const std::u16string name = ToUtf16(dir.File("file.bin"));
  auto out = TAvioFile::CreateForWriting(name);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->Context()->seekable & AVIO_SEEKABLE_NORMAL);
  avio_write(out->Context(), reinterpret_cast<const unsigned char*>("0123456789"), 10);
  // Back into the written part, as muxers do for their headers.
  avio_seek(out->Context(), 2, SEEK_SET);
  avio_write(out->Context(), reinterpret_cast<const unsigned char*>("ab"), 2);
  avio_seek(out->Context(), 0, SEEK_END);
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(testing::ReadFile(dir.File("file.bin")), "01ab456789");

  auto in = TAvioFile::OpenForReading(name);
  ASSERT_TRUE(in);
  EXPECT_EQ(avio_size(in->Context()), 10);
  unsigned char bytes[16] = {};
  EXPECT_EQ(avio_read(in->Context(), bytes, sizeof bytes), 10);
  EXPECT_TRUE(avio_feof(in->Context()));
  EXPECT_FALSE(TAvioFile::OpenForReading(ToUtf16(dir.File("missing.bin"))));
  EXPECT_EQ(errno, ENOENT);
}

TEST(AvioFile, KeepsTheFirstFailedWriteAndWritesNothingAfterIt) {
  ScopedTempDir dir;
  auto out = TAvioFile::CreateForWriting(ToUtf16(dir.File("full.bin")));
  ASSERT_TRUE(out);
  const std::string block(100000, 'x');
  {
    // A full disk, made small: files cannot grow beyond 150,000 bytes.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limit = previous;
    limit.rlim_cur = 150000;
    setrlimit(RLIMIT_FSIZE, &limit);
    avio_write(out->Context(), reinterpret_cast<const unsigned char*>(block.data()),
               static_cast<int>(block.size()));
    avio_write(out->Context(), reinterpret_cast<const unsigned char*>(block.data()),
               static_cast<int>(block.size()));
    avio_flush(out->Context());
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
  }
  EXPECT_EQ(out->WriteError(), EFBIG);
  // There is room again, but the file must not go on after a gap.
  avio_write(out->Context(), reinterpret_cast<const unsigned char*>(block.data()),
             static_cast<int>(block.size()));
  EXPECT_FALSE(out->Close());
  EXPECT_LE(testing::ReadFile(dir.File("full.bin")).size(), 150000u);
}

TEST(AvioFile, AStreamCannotSeekAndLeavesItsDescriptorOpen) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  {
    auto stream = TAvioFile::ForStream(fds[1], 0);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Context()->seekable, 0);
    avio_write(stream->Context(), reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_TRUE(stream->Close());
  }
  char bytes[4] = {};
  EXPECT_EQ(write(fds[1], "d", 1), 1);
  EXPECT_EQ(read(fds[0], bytes, 4), 4);
  EXPECT_EQ(std::string(bytes, 4), "abcd");
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace sonacli
