#include "text/input_pieces.h"

#include <algorithm>
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
  TPieceBuilder(const TInputText& text, const TPieceRules& rules) : text_(text), rules_(rules) {}

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
    for (size_t i = 0; i < parts.Count(); ++i) {
      const TTextPart& part = parts.Part(i);
      SplitIntoPieces(part.Text, TPiece::Of(part), Limit(part.Voice), rules_.SyncOutput, pieces_);
    }
  }

  void AddBook(const TInputRun& run, size_t firstLine, size_t endLine) {
    TPiece speech = TPiece::Of(BookVoice(run.Language, rules_));
    speech.PlainText = true;
    const int32_t limit = Limit(speech.Voice);
    for (size_t line = firstLine; line < endLine; ++line) {
      while (nextChapter_ < text_.Chapters.size() && text_.Chapters[nextChapter_].Line < line) ++nextChapter_;
      if (nextChapter_ < text_.Chapters.size() && text_.Chapters[nextChapter_].Line == line) {
        TPiece& chapter = pieces_.emplace_back();
        chapter.Kind = TPieceKind::Chapter;
        chapter.Text = text_.Chapters[nextChapter_].Title;
        chapter.LineNumber = LineNumber(text_, line);
      }
      SplitIntoPieces(text_.Lines[line], speech, limit, rules_.SyncOutput, pieces_);
    }
  }

  const TInputText& text_;
  const TPieceRules& rules_;
  TPieceList pieces_;
  size_t nextChapter_ = 0;  // the first chapter mark not passed yet
};

}  // namespace

TPieceRules TPieceRules::FromSettings(const TSettings& settings, bool legacyKey) {
  TPieceRules rules;
  rules.Voice = TPartSettings::FromSettings(settings);
  rules.BookLanguageChoosesVoice = !settings.VoiceNamed;
  rules.LegacyKey = legacyKey;
  rules.SyncOutput = settings.SyncOutput;
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
