#include "text/input_pieces.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string>

#include "catalogue/voice_catalogue.h"
#include "common/unicode_text.h"
#include "text/piece_lists.h"
#include "text/text_parts.h"

namespace sonacli {

namespace {

class TPieceBuilder {
 public:
  TPieceBuilder(const TInputText& text, const TPieceRules& rules)
      : text_(text), rules_(rules), pauses_(pieces_, rules.SyncOutput) {}

  TPieceList Build() {
    for (size_t run = 0; run < text_.Runs.size();) {
      // Runs of one source follow each other where line selection left gaps in their numbers.
      size_t end = run + 1;
      while (end < text_.Runs.size() && SameSource(text_.Runs[end], text_.Runs[run])) ++end;
      const size_t firstLine = text_.Runs[run].FirstLine;
      const size_t endLine = RunEnd(text_, end - 1);
      if (text_.Runs[run].Source == TLineSource::Book) {
        AddBook(text_.Runs[run], firstLine, endLine);
      } else {
        AddUserText(firstLine, endLine);
      }
      run = end;
    }
    pauses_.EndChapters();
    return std::move(pieces_);
  }

 private:
  int32_t Limit(std::u16string_view voice) const {
    const int32_t limit = MaxRequestLength(voice, rules_.LegacyKey);
    return rules_.SyncOutput ? std::min(limit, kSyncPieceLimit) : limit;
  }

  void AddUserText(size_t firstLine, size_t endLine) {
    const std::span<const std::u16string> lines(text_.Lines.begin() + static_cast<std::ptrdiff_t>(firstLine),
                                                text_.Lines.begin() + static_cast<std::ptrdiff_t>(endLine));
    const TTextParts parts(JoinLines(lines), rules_.Voice);
    const bool paused = rules_.UserPauses != TPauseLengths{};
    for (size_t i = 0; i < parts.Count(); ++i) {
      const TTextPart& part = parts.Part(i);
      const TPiece attributes = TPiece::Of(part);
      if (!paused) {
        SplitIntoPieces(part.Text, attributes, Limit(part.Voice), rules_.SyncOutput, pieces_);
        continue;
      }
      switch (attributes.Kind) {
        case TPieceKind::Speech:
          AddUserParagraphs(part.Text, attributes);
          break;
        case TPieceKind::Chapter:
          pauses_.BeforeChapter();
          SplitIntoPieces(part.Text, attributes, 0, rules_.SyncOutput, pieces_);
          pauses_.AfterChapter(rules_.UserPauses);
          break;
        case TPieceKind::Audio:
        case TPieceKind::Pause:
        case TPieceKind::PausePara:
          if (!part.Text.empty()) pauses_.BeforeInsert();
          SplitIntoPieces(part.Text, attributes, 0, rules_.SyncOutput, pieces_);
          break;
      }
    }
  }

  // A text part of the user's, line by line, which gives the pieces SplitIntoPieces gives the
  // whole part. A paragraph ends at a line break: after each line but the part's last, and after
  // that one too when the part ends in a line break; a part cut off by a tag goes on in the next.
  void AddUserParagraphs(std::u16string_view text, const TPiece& attributes) {
    const std::vector<std::u16string> lines = SplitLines(text);
    const bool endsInBreak = !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
    for (size_t k = 0; k < lines.size(); ++k) {
      const bool endsParagraph = k + 1 < lines.size() || endsInBreak;
      AddParagraph(lines[k], attributes, Limit(attributes.Voice), rules_.UserPauses, endsParagraph);
    }
  }

  // The pieces of a line of text, after the pause due before them; the pause after them is due
  // when the line ends a paragraph.
  void AddParagraph(std::u16string_view text, const TPiece& attributes, int32_t limit,
                    const TPauseLengths& lengths, bool endsParagraph) {
    paragraph_.clear();
    SplitIntoPieces(text, attributes, limit, rules_.SyncOutput, paragraph_);
    if (paragraph_.empty()) return;
    pauses_.BeforeSpeech(lengths);
    std::move(paragraph_.begin(), paragraph_.end(), std::back_inserter(pieces_));
    if (endsParagraph) pauses_.AfterParagraph(lengths);
  }

  void AddBook(const TInputRun& run, size_t firstLine, size_t endLine) {
    TPiece speech = TPiece::Of(BookVoice(run.Language, rules_));
    speech.PlainText = true;
    const int32_t limit = Limit(speech.Voice);
    for (size_t line = firstLine; line < endLine; ++line) {
      while (nextChapter_ < text_.Chapters.size() && text_.Chapters[nextChapter_].Line < line) ++nextChapter_;
      if (nextChapter_ < text_.Chapters.size() && text_.Chapters[nextChapter_].Line == line) {
        pauses_.BeforeChapter();
        TPiece& chapter = pieces_.emplace_back();
        chapter.Kind = TPieceKind::Chapter;
        chapter.Text = text_.Chapters[nextChapter_].Title;
        chapter.LineNumber = LineNumber(text_, line);
        pauses_.AfterChapter(rules_.BookPauses);
      }
      AddParagraph(text_.Lines[line], speech, limit, rules_.BookPauses, true);
    }
    pauses_.EndChapters();
  }

  const TInputText& text_;
  const TPieceRules& rules_;
  TPieceList pieces_;
  TNarrationPauses pauses_;
  TPieceList paragraph_;    // the pieces of the paragraph being added
  size_t nextChapter_ = 0;  // the first chapter mark not passed yet
};

}  // namespace

TPieceRules TPieceRules::FromSettings(const TSettings& settings, bool legacyKey) {
  TPieceRules rules;
  rules.Voice = TPartSettings::FromSettings(settings);
  rules.BookLanguageChoosesVoice = !settings.VoiceNamed;
  rules.LegacyKey = legacyKey;
  rules.SyncOutput = settings.SyncOutput;
  rules.BookPauses = {settings.BookParagraphPauseMs, settings.BookChapterPauseMs};
  rules.UserPauses = {settings.TextParagraphPauseMs, settings.TextChapterPauseMs};
  return rules;
}

TPieceList BuildInputPieces(const TInputText& text, const TPieceRules& rules) {
  return TPieceBuilder(text, rules).Build();
}

TPartSettings BookVoice(std::u16string_view bookLanguage, const TPieceRules& rules) {
  TPartSettings voice = rules.Voice;
  if (!rules.BookLanguageChoosesVoice) return voice;
  const std::u16string code = LanguageOfTag(bookLanguage);
  if (code.empty()) return voice;
  voice.Language = code;
  voice.Voice = VoiceForLanguage(code, rules.Voice.Voice, rules.LegacyKey);
  return voice;
}

}  // namespace sonacli
