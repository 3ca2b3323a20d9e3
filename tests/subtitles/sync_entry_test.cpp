#include "subtitles/sync_entry.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

using Lines = std::vector<std::u16string>;

TSyncSettings BothOn() {
  TSyncSettings settings;
  settings.SyncOutput = true;
  settings.LrcEnabled = true;
  settings.SrtEnabled = true;
  return settings;
}

TEST(SyncEntry, PiecesPausesAndInserts) {
  const TSyncSettings settings = BothOn();
  Lines lrc;
  Lines srt;
  TSyncState state;
  // A line end with --lrc-sent: a blank line is due before the next LRC line.
  state.BlankAfterCurrent = true;
  AddSyncEntry(settings, 1500, lrc, srt, u"Hello <b>world</b>.", false, state);
  // A piece of tags only writes nothing but advances the time.
  state.BlankAfterCurrent = false;
  AddSyncEntry(settings, 2000, lrc, srt, u"<i></i>", false, state);
  AddSyncEntry(settings, 3000, lrc, srt, u"Next\r\nline", false, state);
  // An audio insert whose file added no audio.
  AddSyncEntry(settings, 3000, lrc, srt, u"", true, state);

  EXPECT_EQ(lrc, (Lines{u"[00:00.00]Hello world.", u"[00:01.99]", u"[00:02.00]Next line", u"[00:03.00]"}));
  EXPECT_EQ(srt, (Lines{u"1", u"00:00:00,000 --> 00:00:01,499", u"Hello world.", u"",  //
                        u"2", u"00:00:02,000 --> 00:00:02,999", u"Next line", u"",     //
                        u"3", u"00:00:03,000 --> 00:00:02,999", u"", u""}));
  EXPECT_EQ(state.SrtIndex, 3);
  EXPECT_EQ(state.PrevMs, 3000);
  EXPECT_FALSE(state.BlankPending);
}

TEST(SyncEntry, PauseAtParagraphEndMakesBlankLine) {
  const TSyncSettings settings = BothOn();
  Lines lrc;
  Lines srt;
  TSyncState state;
  AddSyncEntry(settings, 1000, lrc, srt, u"One.", false, state);
  // "pause_para": the pause itself, then a second call with the blank line pending.
  AddSyncEntry(settings, 1500, lrc, srt, u"", false, state);
  state.BlankPending = true;
  AddSyncEntry(settings, 1500, lrc, srt, u"", false, state);
  AddSyncEntry(settings, 2500, lrc, srt, u"Two.", false, state);
  EXPECT_EQ(lrc, (Lines{u"[00:00.00]One.", u"[00:01.49]", u"[00:01.50]Two."}));
  EXPECT_EQ(srt.size(), 8u);
}

TEST(SyncEntry, BlankLineBeforeTheFirstTenMsIsStampedAtZero) {
  const TSyncSettings settings = BothOn();
  Lines lrc;
  Lines srt;
  TSyncState state;
  state.BlankPending = true;
  AddSyncEntry(settings, 800, lrc, srt, u"First", false, state);
  EXPECT_EQ(lrc, (Lines{u"[00:00.00]", u"[00:00.00]First"}));
}

TEST(SyncEntry, LongTextIsWrappedWithProportionalTimes) {
  TSyncSettings settings = BothOn();
  settings.LrcLimitLength = true;
  settings.LrcMaxLength = 15;
  settings.SrtLimitLength = true;
  settings.SrtMaxLength = 15;
  Lines lrc;
  Lines srt;
  TSyncState state;
  state.CurMs = 1000;
  // 43 characters over 4300 ms: 100 ms per character.
  AddSyncEntry(settings, 5300, lrc, srt, u"The quick brown fox jumps over the lazy dog", false, state);
  EXPECT_EQ(lrc, (Lines{u"[00:01.00]The quick ", u"[00:02.00]brown fox ", u"[00:03.00]jumps over the ",
                        u"[00:04.50]lazy dog"}));
  EXPECT_EQ(srt, (Lines{u"1", u"00:00:01,000 --> 00:00:01,999", u"The quick ", u"",       //
                        u"2", u"00:00:02,000 --> 00:00:02,999", u"brown fox ", u"",       //
                        u"3", u"00:00:03,000 --> 00:00:04,499", u"jumps over the ", u"",  //
                        u"4", u"00:00:04,500 --> 00:00:05,299", u"lazy dog", u""}));
}

TEST(SyncEntry, WithoutLimitNothingIsWrapped) {
  TSyncSettings settings = BothOn();
  settings.LrcMaxLength = 15;  // no --lrc-length: the length is not limited
  settings.SrtEnabled = false;
  Lines lrc;
  Lines srt;
  TSyncState state;
  AddSyncEntry(settings, 100, lrc, srt, u"The quick brown fox jumps over the lazy dog", false, state);
  EXPECT_EQ(lrc, (Lines{u"[00:00.00]The quick brown fox jumps over the lazy dog"}));
  EXPECT_TRUE(srt.empty());
}

TEST(SyncEntry, NothingWithoutSyncOutput) {
  TSyncSettings settings = BothOn();
  settings.SyncOutput = false;
  Lines lrc;
  Lines srt;
  TSyncState state;
  AddSyncEntry(settings, 1000, lrc, srt, u"Text", true, state);
  EXPECT_TRUE(lrc.empty());
  EXPECT_TRUE(srt.empty());
  EXPECT_EQ(state.CurMs, 0);
}

TEST(SyncEntry, AppendSyncEntryFollowsTheRunSettings) {
  TSettings options;
  options.SyncOutput = true;
  options.SrtEnabled = true;
  Lines lrc;
  Lines srt;
  TSyncState state;
  AppendSyncEntry(SyncSettingsFrom(options), nullptr, lrc, srt, u"No output yet", false, state);
  EXPECT_TRUE(lrc.empty());
  EXPECT_EQ(srt, (Lines{u"1", u"00:00:00,000 --> 00:00:00,000", u"No output yet", u""}));
}

TEST(SyncEntry, WriteLrcHeader) {
  TLRCData data;
  Lines lines;
  EXPECT_EQ(WriteLrcHeader(lines, false, data), 0);
  EXPECT_TRUE(lines.empty());

  EXPECT_EQ(WriteLrcHeader(lines, true, data), 1);
  EXPECT_EQ(lines, (Lines{u"[re:Sonarel]"}));

  lines.clear();
  data.Artist = u"Artist";
  data.Title = u"Title";
  data.Creator = u"Me";
  data.Offset = -250;
  EXPECT_EQ(WriteLrcHeader(lines, true, data), 5);
  EXPECT_EQ(lines, (Lines{u"[ar:Artist]", u"[ti:Title]", u"[by:Me]", u"[re:Sonarel]", u"[offset:-250]"}));
}

}  // namespace
}  // namespace sonacli
