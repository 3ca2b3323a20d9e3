#include "text/input_pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

using Described = std::vector<std::string>;

// Each piece as "<kind> <what>": speech with its language and voice, and "plain" when it can never
// go out as SSML; chapters with the -ln number of their first line when they have one.
Described Describe(const TPieceList& pieces) {
  Described out;
  for (const TPiece& piece : pieces) {
    switch (piece.Kind) {
      case TPieceKind::Speech:
        out.push_back("speech " + ToUtf8(piece.Language) + " " + ToUtf8(piece.Voice) +
                      (piece.PlainText ? " plain " : " ") + ToUtf8(piece.Text));
        break;
      case TPieceKind::Chapter:
        out.push_back("chapter " + ToUtf8(piece.Text) +
                      (piece.LineNumber > 0 ? " @" + std::to_string(piece.LineNumber) : std::string()));
        break;
      case TPieceKind::Audio:
        out.push_back("audio " + ToUtf8(piece.Text));
        break;
      case TPieceKind::Pause:
      case TPieceKind::PausePara:
        out.push_back((piece.Narration ? "narration " : "pause ") + std::to_string(piece.PauseMs));
        break;
    }
  }
  return out;
}

TPieceRules Rules() {
  TPieceRules rules;
  rules.Voice.Language = u"ru-RU";
  rules.Voice.Voice = u"oksana";
  rules.Voice.Emotion = u"neutral";
  return rules;
}

// Every form a tag can take in a book's text: closed or not, in any case, spaced, nested, and SSML.
const std::vector<std::u16string> kTagForms = {
    u"{{pause=2000000000}}",
    u"Wait {{PAUSE=500}} here.",
    u"{{pause=500",
    u"{{audio=/etc/hostname}}",
    u"{{Audio=chime.wav}}Ring.",
    u"{{audio=chime.wav",
    u"{{lang=en-us;john;2}}Hello.",
    u"{{LANG=EN-US}}",
    u"{{lang=en-us",
    u"{{chapter=Forged}}",
    u"{{CHAPTER=}}",
    u"{{chapter=Open",
    u"{ {pause=5} } {{{pause=5}}}",
    u"<speak>Hello</speak>",
    u"<SPEAK><break time=\"9s\"/></Speak>",
};

TEST(InputPieces, ABooksTextIsTextWhateverTagsItHolds) {
  TInputText input = UserText({});
  AppendBookText(input, kTagForms, {{0, u"One"}, {6, u"Two"}}, 0, u"");
  Described expected;
  for (size_t i = 0; i < kTagForms.size(); ++i) {
    if (i == 0) expected.push_back("chapter One @1");
    if (i == 6) expected.push_back("chapter Two @7");
    expected.push_back("speech ru-RU oksana plain " + ToUtf8(kTagForms[i]));
  }
  EXPECT_EQ(Describe(BuildInputPieces(input, Rules())), expected);
}

TEST(InputPieces, TheUsersTextKeepsItsTagsBesideBooks) {
  TInputText input = UserText({u"A {{pause=300}}B", u"{{lang=en-us;john}}C", u"{{chapter=Mine}}D"});
  AppendBookText(input, {u"Heading", u"{{pause=300}}E", u"<speak>F</speak>"}, {{0, u"Book"}}, 0, u"en");
  BeginUserText(input);
  input.Lines.push_back(u"<speak>G</speak>");
  // The user's language switch holds to the end of the user's text, not into the book.
  EXPECT_EQ(
      Describe(BuildInputPieces(input, Rules())),
      (Described{"speech ru-RU oksana A", "pause 300", "speech ru-RU oksana B", "speech en-US john C",
                 "chapter Mine", "speech en-US john D", "chapter Book @4",
                 "speech ru-RU oksana plain Heading", "speech ru-RU oksana plain {{pause=300}}E",
                 "speech ru-RU oksana plain <speak>F</speak>", "speech ru-RU oksana <speak>G</speak>"}));
}

// Unless the user named a language or voice, each book is read in its own language by that
// language's voice; the user's text, and a book in a language the service lacks or in none, keep
// the run's voice.
TEST(InputPieces, EachBookIsReadInItsOwnLanguage) {
  TInputText input = UserText({u"Mine."});
  const std::vector<std::u16string> languages = {u"en", u"ru-RU", u"fr", u"", u"de-AT"};
  for (size_t i = 0; i < languages.size(); ++i)
    AppendBookText(input, {u"Book."}, {{0, u"B"}}, i, languages[i]);
  BeginUserText(input);
  input.Lines.push_back(u"Mine again.");
  const auto voices = [&](bool chooses, bool legacyKey) {
    TPieceRules rules = Rules();
    rules.BookLanguageChoosesVoice = chooses;
    rules.LegacyKey = legacyKey;
    Described out;
    for (const TPiece& piece : BuildInputPieces(input, rules)) {
      if (piece.Kind == TPieceKind::Speech) out.push_back(ToUtf8(piece.Language + u" " + piece.Voice));
    }
    return out;
  };
  EXPECT_EQ(voices(true, false), (Described{"ru-RU oksana", "en-US john", "ru-RU oksana", "ru-RU oksana",
                                            "ru-RU oksana", "de-DE lea", "ru-RU oksana"}));
  // The legacy interface serves standard voices only; German has none, so lea's language goes
  // with the run's voice, as -l de-de does.
  EXPECT_EQ(voices(true, true), (Described{"ru-RU oksana", "en-US alyss", "ru-RU oksana", "ru-RU oksana",
                                           "ru-RU oksana", "de-DE oksana", "ru-RU oksana"}));
  EXPECT_EQ(voices(false, false), Described(7, "ru-RU oksana"));
}

// A narrator pauses between paragraphs, before and after a chapter's heading and at the end of a
// chapter; in a book always (unless the lengths are 0), in the user's text only when asked for,
// where the user's own pauses and sound files stand in place of a paragraph's pause.
TEST(InputPieces, PausesGoWhereANarratorPauses) {
  TInputText book = UserText({});
  AppendBookText(book, {u"One", u"a.", u"b.", u"Two", u"c."}, {{0, u"One"}, {3, u"Two"}}, 0, u"");
  TInputText parts = UserText({u"Intro."});
  AppendBookText(parts, {u"Part I", u"Chapter 1", u"d."}, {{0, u"Part I"}, {1, u"Chapter 1"}}, 0, u"");
  BeginUserText(parts);
  parts.Lines.push_back(u"After.");
  const TInputText text = UserText({u"a", u"b {{pause=300}}", u"c", u"{{audio=f.wav}}", u"d",
                                    u"{{chapter=T}}Title", u"e. {{lang=en-us}}f.", u"g."});
  const TPauseLengths book700{700, 2000};
  const struct {
    const char* name;
    const TInputText& input;
    TPauseLengths bookPauses;
    TPauseLengths userPauses;
    Described expected;
  } cases[] = {
      {"a book",
       book,
       book700,
       {},
       {"chapter One @1", "narration 500", "speech ru-RU oksana plain One", "narration 1000",
        "speech ru-RU oksana plain a.", "narration 700", "speech ru-RU oksana plain b.", "narration 2000",
        "chapter Two @4", "narration 500", "speech ru-RU oksana plain Two", "narration 1000",
        "speech ru-RU oksana plain c.", "narration 2000"}},
      {"a book without pauses",
       book,
       {0, 0},
       {},
       {"chapter One @1", "speech ru-RU oksana plain One", "speech ru-RU oksana plain a.",
        "speech ru-RU oksana plain b.", "chapter Two @4", "speech ru-RU oksana plain Two",
        "speech ru-RU oksana plain c."}},
      // A part's heading ends as a chapter does; the user's text around a book gets no pauses, but
      // a book ends its last chapter before the user's text.
      {"a part before its first chapter, between the user's text",
       parts,
       book700,
       {},
       {"speech ru-RU oksana Intro.", "chapter Part I @2", "narration 500",
        "speech ru-RU oksana plain Part I", "narration 2000", "chapter Chapter 1 @3", "narration 500",
        "speech ru-RU oksana plain Chapter 1", "narration 1000", "speech ru-RU oksana plain d.",
        "narration 2000", "speech ru-RU oksana After."}},
      {"the user's text as it always was",
       text,
       book700,
       {},
       {"speech ru-RU oksana a", "speech ru-RU oksana b", "pause 300", "speech ru-RU oksana c", "audio f.wav",
        "speech ru-RU oksana d", "chapter T", "speech ru-RU oksana Title", "speech ru-RU oksana e.",
        "speech en-US oksana f.", "speech en-US oksana g."}},
      {"the user's text with pauses asked for",
       text,
       book700,
       {400, 1200},
       {"speech ru-RU oksana a", "narration 400", "speech ru-RU oksana b", "pause 300",
        "speech ru-RU oksana c", "audio f.wav", "speech ru-RU oksana d", "narration 1200", "chapter T",
        "narration 300", "speech ru-RU oksana Title", "narration 600", "speech ru-RU oksana e.",
        "speech en-US oksana f.", "narration 400", "speech en-US oksana g.", "narration 1200"}},
  };
  for (const auto& c : cases) {
    TPieceRules rules = Rules();
    rules.BookPauses = c.bookPauses;
    rules.UserPauses = c.userPauses;
    EXPECT_EQ(Describe(BuildInputPieces(c.input, rules)), c.expected) << c.name;
  }
}

TEST(InputPieces, ABooksLinesAreCutAsTheUsersLinesAre) {
  TPieceRules rules = Rules();
  rules.SyncOutput = true;
  TInputText input = UserText({});
  AppendBookText(input, {u"Dr. Smith came. He sat {{down}}.", std::u16string(500, u'a')}, {{0, u"One"}}, 0,
                 u"");
  const TPieceList pieces = BuildInputPieces(input, rules);
  EXPECT_EQ(Describe(pieces),
            (Described{"chapter One @1", "speech ru-RU oksana plain Dr. Smith came.",
                       "speech ru-RU oksana plain He sat {{down}}.",
                       "speech ru-RU oksana plain " + std::string(kSyncPieceLimit, 'a'),
                       "speech ru-RU oksana plain " + std::string(500 - kSyncPieceLimit, 'a')}));
  EXPECT_EQ(pieces[2].Marker, TPieceMarker::LineEnd);
}

}  // namespace
}  // namespace sonacli
