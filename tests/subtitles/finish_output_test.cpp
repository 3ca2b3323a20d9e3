#include "subtitles/finish_output.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "settings/settings.h"
#include "testing/test_support.h"

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;
using testing::ReadFile;
using testing::ScopedReadOnlyFolder;
using testing::ScopedTempDir;
using testing::WriteFile;

const Lines kLrc{u"[re:Sonarel]", u"[00:00.00]Привет, мир"};
const Lines kSrt{u"1", u"00:00:00,000 --> 00:00:01,499", u"Привет 中", u""};

// A run with LRC and SRT output on, whose files are claimed beside their targets.
class FinishOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.OutputFileName = ToUtf16(dir_.File("out.wav"));
    settings_.LrcEnabled = true;
    settings_.SrtEnabled = true;
    settings_.SyncOutput = true;
    settings_.LrcData.FileName = ToUtf16(dir_.File("out.lrc"));
    settings_.LrcData.Encoding = TSyncEncoding::Utf8;
    settings_.SrtData.FileName = ToUtf16(dir_.File("out.srt"));
    settings_.SrtData.Encoding = TSyncEncoding::Utf16LE;
  }

  // The files claimed, with `audio` written into the audio's temporary.
  void Claim(const std::string& audio) {
    std::u16string error;
    ASSERT_TRUE(ClaimOutputFiles(settings_, true, files_, error)) << ToUtf8(error);
    if (files_.Audio) {
      ASSERT_TRUE(files_.Audio->Write(audio));
    }
  }

  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }
  // The names in the folder, hidden temporaries included.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  ScopedTempDir dir_;
  TSettings settings_;
  TOutputFiles files_;
};

TEST(SyncFileEncoding, ThreeEncodingsByteExact) {
  const Lines lines{u"Ж€", u"中"};
  EXPECT_EQ(EncodeSyncFile(lines, TSyncEncoding::Utf8, 1251),
            "\xEF\xBB\xBF\xD0\x96\xE2\x82\xAC\r\n\xE4\xB8\xAD\r\n");
  EXPECT_EQ(EncodeSyncFile(lines, TSyncEncoding::Utf16LE, 1251),
            std::string("\xFF\xFE\x16\x04\xAC\x20\r\0\n\0\x2D\x4E\r\0\n\0", 16));
  // The ANSI code page has no preamble; a text it cannot hold whole is written as UTF-8 instead
  // of losing its letters to "?".
  EXPECT_EQ(EncodeSyncFile({u"Ж€"}, TSyncEncoding::Ansi, 1251), "\xC6\x88\r\n");
  EXPECT_EQ(EncodeSyncFile({u"?"}, TSyncEncoding::Ansi, 1251), "?\r\n");
  EXPECT_EQ(EncodeSyncFile(lines, TSyncEncoding::Ansi, 1251),
            EncodeSyncFile(lines, TSyncEncoding::Utf8, 1251));
  EXPECT_EQ(EncodeSyncFile({u"Ж"}, TSyncEncoding::Ansi, 1252), "\xEF\xBB\xBF\xD0\x96\r\n");
  EXPECT_EQ(EncodeSyncFile({u"\u20AC"}, TSyncEncoding::Ansi, 1252), "\x80\r\n");
  EXPECT_EQ(EncodeSyncFile({}, TSyncEncoding::Utf8, 1251), "\xEF\xBB\xBF");
  EXPECT_EQ(EncodeSyncFile({}, TSyncEncoding::Ansi, 1251), "");
}

TEST_F(FinishOutputTest, ClaimsEachFileBesideItsTargetAndPutsItInPlace) {
  WriteFile(dir_.File("out.wav"), "old audio");
  Claim("RIFF-audio");
  // Before the end only hidden temporaries are there, and the old output stays.
  const std::vector<std::string> claimed = Entries();
  ASSERT_EQ(claimed.size(), 4u);
  EXPECT_TRUE(claimed[0].rfind(".out.lrc.", 0) == 0) << claimed[0];
  EXPECT_TRUE(claimed[1].rfind(".out.srt.", 0) == 0) << claimed[1];
  EXPECT_TRUE(claimed[2].rfind(".out.wav.", 0) == 0) << claimed[2];
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "old audio");

  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, kLrc, kSrt));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"out.lrc", "out.srt", "out.wav"}));
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "RIFF-audio");
  EXPECT_EQ(ReadFile(dir_.File("out.lrc")),
            "\xEF\xBB\xBF[re:Sonarel]\r\n[00:00.00]\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2"
            "\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80\r\n");
  EXPECT_EQ(ReadFile(dir_.File("out.srt")),
            std::string("\xFF\xFE") + EncodeSyncFile(kSrt, TSyncEncoding::Utf16LE, 1251).substr(2));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")).size(), 2u + 2u * (1 + 29 + 8 + 0 + 4 * 2));
}

TEST_F(FinishOutputTest, NameOfTheLongestLengthStillGetsATemporary) {
  // 255 bytes, the most a name may have: "." + name + ".XXXXXX.tmp" would be too long.
  const std::string name(251, 'n');
  settings_.OutputFileName = ToUtf16(dir_.File(name + ".wav"));
  settings_.LrcEnabled = settings_.SrtEnabled = false;
  Claim("audio");
  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, {}, {}));
  EXPECT_EQ(Entries(), std::vector<std::string>{name + ".wav"});
  EXPECT_EQ(ReadFile(dir_.File(name + ".wav")), "audio");
}

TEST_F(FinishOutputTest, FolderThatCannotBeWrittenIsNamed) {
  const struct {
    std::string Name;
    std::function<void(TSettings&, const std::u16string&)> Aim;
    std::u16string Message;
  } rows[] = {
      {"audio", [](TSettings& s, const std::u16string& f) { s.OutputFileName = f + u"/out.wav"; },
       u"Output folder cannot be written: "},
      {"lrc", [](TSettings& s, const std::u16string& f) { s.LrcData.FileName = f + u"/out.lrc"; },
       u"LRC folder cannot be written: "},
      {"srt", [](TSettings& s, const std::u16string& f) { s.SrtData.FileName = f + u"/out.srt"; },
       u"SRT folder cannot be written: "},
  };
  const std::filesystem::path locked = dir_.Path() / "locked";
  std::filesystem::create_directory(locked);
  const ScopedReadOnlyFolder readOnly(locked);
  if (!readOnly.Ok()) GTEST_SKIP() << "no folder can be made read-only here";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TSettings settings = settings_;
    row.Aim(settings, ToUtf16(locked.string()));
    TOutputFiles files;
    std::u16string error;
    EXPECT_FALSE(ClaimOutputFiles(settings, true, files, error));
    EXPECT_EQ(error, row.Message + ToUtf16(locked.string()));
  }
  EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST_F(FinishOutputTest, AnsiFileUsesTheSystemCodePage) {
  settings_.AnsiCodePage = 1251;
  settings_.SrtData.Encoding = TSyncEncoding::Ansi;
  Claim("RIFF");
  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, kLrc, kSrt));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")),
            EncodeSyncFile(kSrt, TSyncEncoding::Utf8, 1251));  // 中 is not in 1251
  Claim("RIFF");
  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, kLrc, {u"Привет"}));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")), "\xCF\xF0\xE8\xE2\xE5\xF2\r\n");
}

TEST_F(FinishOutputTest, ErrorDuringRunStillSavesFileOutput) {
  Claim("partial");
  EXPECT_TRUE(FinishOutput(settings_, files_, true, true, kLrc, kSrt));
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "partial");
  EXPECT_TRUE(Exists("out.lrc"));
  EXPECT_TRUE(Exists("out.srt"));
}

TEST_F(FinishOutputTest, WithoutAudioNothingIsPutInPlaceAndNothingIsLeft) {
  // An old output of the same name must not pass for the new one, and stays as it was.
  WriteFile(dir_.File("out.wav"), "old");
  Claim("");
  files_.Audio.reset();  // the run made no audio
  EXPECT_FALSE(FinishOutput(settings_, files_, true, true, kLrc, kSrt));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.wav"});
  EXPECT_EQ(ReadFile(dir_.File("out.wav")), "old");
}

TEST_F(FinishOutputTest, FailedRenameFailsAndLeavesNothing) {
  Claim("audio");
  // A folder in the target's place cannot be renamed over.
  std::filesystem::create_directory(dir_.File("out.wav"));
  WriteFile(dir_.File("out.wav/inside"), "kept");
  EXPECT_FALSE(FinishOutput(settings_, files_, false, true, kLrc, kSrt));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.wav"});
  EXPECT_EQ(ReadFile(dir_.File("out.wav/inside")), "kept");
}

TEST_F(FinishOutputTest, StandardOutputSucceedsUnlessAnErrorWasReported) {
  settings_.ToStdout = true;
  Claim("");
  EXPECT_EQ(files_.Audio, nullptr);
  EXPECT_FALSE(FinishOutput(settings_, files_, true, true, kLrc, kSrt));
  EXPECT_TRUE(Entries().empty());
  Claim("");
  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, kLrc, kSrt));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"out.lrc", "out.srt"}));
}

TEST_F(FinishOutputTest, UnwritableLrcIsReportedAndDoesNotStopSrt) {
  Claim("audio");
  // The LRC's temporary is lost (as a full disk would lose its content).
  files_.Lrc.reset();
  std::vector<std::u16string> failures;
  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, kLrc, kSrt, &failures));
  EXPECT_EQ(failures, std::vector<std::u16string>{u"Failed to save LRC file"});
  EXPECT_EQ(Entries(), (std::vector<std::string>{"out.srt", "out.wav"}));
}

TEST_F(FinishOutputTest, SyncFilesReplaceWhateverFileIsThereWhole) {
  WriteFile(dir_.File("out.lrc"), std::string(100000, 'x'));  // longer than the new file
  // A FIFO would keep a plain write waiting for a reader for ever.
  ASSERT_EQ(mkfifo(dir_.File("out.srt").c_str(), 0600), 0);
  Claim("audio");
  std::vector<std::u16string> failures;
  EXPECT_TRUE(FinishOutput(settings_, files_, false, true, kLrc, kSrt, &failures));
  EXPECT_TRUE(failures.empty());
  EXPECT_EQ(ReadFile(dir_.File("out.lrc")), EncodeSyncFile(kLrc, TSyncEncoding::Utf8, 1251));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir_.File("out.srt")));
  EXPECT_EQ(ReadFile(dir_.File("out.srt")), EncodeSyncFile(kSrt, TSyncEncoding::Utf16LE, 1251));
  // Nothing is left under a temporary name.
  EXPECT_EQ(Entries(), (std::vector<std::string>{"out.lrc", "out.srt", "out.wav"}));
}

TEST_F(FinishOutputTest, SubtitleModeClaimsAndWritesNoSyncFiles) {
  std::u16string error;
  ASSERT_TRUE(ClaimOutputFiles(settings_, false, files_, error));
  EXPECT_EQ(files_.Lrc, nullptr);
  EXPECT_EQ(files_.Srt, nullptr);
  ASSERT_TRUE(files_.Audio->Write("audio"));
  EXPECT_TRUE(FinishOutput(settings_, files_, false, false, kLrc, kSrt));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.wav"});
}

}  // namespace
}  // namespace sonacli
