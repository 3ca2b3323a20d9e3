#include "subtitles/finish_output.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <iterator>

#include "common/unicode_text.h"
#include "settings/settings.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;
using testing::ReadFile;
using testing::ScopedTempDir;
using testing::WriteFile;

const Lines kLrc{u"[re:Sonarel]", u"[00:00.00]Привет, мир"};
const Lines kSrt{u"1", u"00:00:00,000 --> 00:00:01,499", u"Привет 中", u""};

// A run that wrote its audio to a temporary file, with LRC and SRT output on.
class FinishOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    format_.FileName = ToUtf16(dir_.File("sonarel_out.wav"));
    settings_.OutputFileName = ToUtf16(dir_.File("out.wav"));
    settings_.LrcEnabled = true;
    settings_.SrtEnabled = true;
    settings_.SyncOutput = true;
    settings_.LrcData.FileName = ToUtf16(dir_.File("out.lrc"));
    settings_.LrcData.Encoding = kSyncEncodingUtf8;
    settings_.SrtData.FileName = ToUtf16(dir_.File("out.srt"));
    settings_.SrtData.Encoding = kSyncEncodingUtf16LE;
  }
  TSettings settings_;

  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }

  ScopedTempDir dir_;
  TOutputData format_{u"", 1, 24000, 16};
};

TEST(SyncFileEncoding, ThreeEncodingsByteExact) {
  const Lines lines{u"Ж€", u"中"};
  EXPECT_EQ(EncodeSyncFile(lines, kSyncEncodingUtf8, 1251),
            "\xEF\xBB\xBF\xD0\x96\xE2\x82\xAC\r\n\xE4\xB8\xAD\r\n");
  EXPECT_EQ(EncodeSyncFile(lines, kSyncEncodingUtf16LE, 1251),
            std::string("\xFF\xFE\x16\x04\xAC\x20\r\0\n\0\x2D\x4E\r\0\n\0", 16));
  // The ANSI code page has no preamble; a text it cannot hold whole is written as UTF-8 instead
  // of losing its letters to "?".
  EXPECT_EQ(EncodeSyncFile({u"Ж€"}, kSyncEncodingAnsi, 1251), "\xC6\x88\r\n");
  EXPECT_EQ(EncodeSyncFile({u"?"}, kSyncEncodingAnsi, 1251), "?\r\n");
  EXPECT_EQ(EncodeSyncFile(lines, kSyncEncodingAnsi, 1251), EncodeSyncFile(lines, kSyncEncodingUtf8, 1251));
  EXPECT_EQ(EncodeSyncFile({u"Ж"}, 7, 1252), "\xEF\xBB\xBF\xD0\x96\r\n");
  EXPECT_EQ(EncodeSyncFile({u"\u20AC"}, 7, 1252), "\x80\r\n");
  EXPECT_EQ(EncodeSyncFile({}, kSyncEncodingUtf8, 1251), "\xEF\xBB\xBF");
  EXPECT_EQ(EncodeSyncFile({}, kSyncEncodingAnsi, 1251), "");
}

TEST_F(FinishOutputTest, MovesAudioAndWritesBothFiles) {
  WriteFile(dir_.File("sonarel_out.wav"), "RIFF-audio");
  EXPECT_TRUE(FinishOutput(settings_, format_, false, true, kLrc, kSrt));
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "RIFF-audio");
  EXPECT_FALSE(Exists("sonarel_out.wav"));
  EXPECT_EQ(ReadFile(dir_.File("out.lrc")),
            "\xEF\xBB\xBF[re:Sonarel]\r\n[00:00.00]\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2"
            "\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80\r\n");
  EXPECT_EQ(ReadFile(dir_.File("out.srt")),
            std::string("\xFF\xFE") + EncodeSyncFile(kSrt, 2, 1251).substr(2));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")).size(), 2u + 2u * (1 + 29 + 8 + 0 + 4 * 2));
}

TEST_F(FinishOutputTest, AnsiFileUsesTheSystemCodePage) {
  // The tests run with the Cyrillic code page 1251.
  WriteFile(dir_.File("sonarel_out.wav"), "RIFF");
  settings_.SrtData.Encoding = kSyncEncodingAnsi;
  EXPECT_TRUE(FinishOutput(settings_, format_, false, true, kLrc, kSrt));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")),
            EncodeSyncFile(kSrt, kSyncEncodingUtf8, 1251));  // 中 is not in 1251
  settings_.SrtData.Encoding = kSyncEncodingAnsi;
  WriteFile(dir_.File("sonarel_out.wav"), "RIFF");
  EXPECT_TRUE(FinishOutput(settings_, format_, false, true, kLrc, {u"Привет"}));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
}

TEST_F(FinishOutputTest, ErrorDuringRunStillSavesFileOutput) {
  WriteFile(dir_.File("sonarel_out.wav"), "partial");
  EXPECT_TRUE(FinishOutput(settings_, format_, true, true, kLrc, kSrt));
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "partial");
  EXPECT_TRUE(Exists("out.lrc"));
  EXPECT_TRUE(Exists("out.srt"));
}

TEST_F(FinishOutputTest, MissingTemporaryFileFailsAndWritesNothing) {
  // An old output of the same name must not pass for the new one.
  WriteFile(dir_.File("out.wav"), "old");
  EXPECT_FALSE(FinishOutput(settings_, format_, false, true, kLrc, kSrt));
  EXPECT_FALSE(Exists("out.lrc"));
  EXPECT_FALSE(Exists("out.srt"));
}

TEST_F(FinishOutputTest, FailedMoveFails) {
  WriteFile(dir_.File("sonarel_out.wav"), "audio");
  settings_.OutputFileName = ToUtf16(dir_.File("missing-folder/out.wav"));
  EXPECT_FALSE(FinishOutput(settings_, format_, false, true, kLrc, kSrt));
  EXPECT_FALSE(Exists("out.lrc"));
}

TEST_F(FinishOutputTest, StandardOutputSucceedsUnlessAnErrorWasReported) {
  settings_.ToStdout = true;
  format_.FileName.clear();
  EXPECT_FALSE(FinishOutput(settings_, format_, true, true, kLrc, kSrt));
  EXPECT_FALSE(Exists("out.lrc"));
  EXPECT_TRUE(FinishOutput(settings_, format_, false, true, kLrc, kSrt));
  EXPECT_TRUE(Exists("out.lrc"));
  EXPECT_TRUE(Exists("out.srt"));
}

TEST_F(FinishOutputTest, UnwritableLrcIsReportedAndDoesNotStopSrt) {
  WriteFile(dir_.File("sonarel_out.wav"), "audio");
  settings_.LrcData.FileName = ToUtf16(dir_.File("no-such-folder/out.lrc"));
  std::vector<std::u16string> failures;
  EXPECT_TRUE(FinishOutput(settings_, format_, false, true, kLrc, kSrt, &failures));
  EXPECT_EQ(failures, std::vector<std::u16string>{u"Failed to save LRC file"});
  EXPECT_TRUE(Exists("out.srt"));
}

TEST_F(FinishOutputTest, SyncFilesReplaceWhateverFileIsThereWhole) {
  WriteFile(dir_.File("sonarel_out.wav"), "audio");
  WriteFile(dir_.File("out.lrc"), std::string(100000, 'x'));  // longer than the new file
  // A FIFO would keep a plain write waiting for a reader for ever.
  ASSERT_EQ(mkfifo(dir_.File("out.srt").c_str(), 0600), 0);
  std::vector<std::u16string> failures;
  EXPECT_TRUE(FinishOutput(settings_, format_, false, true, kLrc, kSrt, &failures));
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(ReadFile(dir_.File("out.lrc")), EncodeSyncFile(kLrc, kSyncEncodingUtf8, 1251));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_.File("out.srt")));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")), EncodeSyncFile(kSrt, kSyncEncodingUtf16LE, 1251));
  // Nothing is left under a temporary name.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 3);
}

TEST_F(FinishOutputTest, SubtitleModeWritesNoSyncFiles) {
  WriteFile(dir_.File("sonarel_out.wav"), "audio");
  EXPECT_TRUE(FinishOutput(settings_, format_, false));
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "audio");
  EXPECT_FALSE(Exists("out.lrc"));
  EXPECT_FALSE(Exists("out.srt"));
}

}  // namespace
}  // namespace sonacli
