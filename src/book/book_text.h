// The text of a book as its readers build it: lines of blocks with their white space collapsed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

class TBookText {
 public:
  // Text beyond maxBytes of UTF-8 is not taken: Full() tells.
  explicit TBookText(size_t maxBytes = static_cast<size_t>(-1)) : maxBytes_(maxBytes) {}

  // Appends UTF-8 text to the current line. Every run of white space, control characters and
  // other spaces (no-break, typographic, ideographic) becomes one space, none kept at the start
  // of a line; zero-width spaces, word joiners, byte-order marks and soft hyphens are dropped.
  void Add(std::string_view text);
  // Ends the current line: at the end of a block, or at a line break inside one. A line without
  // a letter or digit ("^", "* * *", "« »") is no line and is dropped.
  void EndLine();
  // The index the current line will have, or the next one when the current one is still empty.
  size_t Position() const { return lines_.size(); }
  bool Full() const { return full_; }
  // What to say when the text is full: "the text is larger than 256 MB".
  std::string FullMessage() const;

  // Text added between StartHeading and EndHeading is a heading's (they may nest).
  void StartHeading() { ++headingDepth_; }
  void EndHeading();
  // Text added between StartLink and EndLink is the text of a link into the book.
  void StartLink() { ++linkDepth_; }
  void EndLink();
  // The line holds only the text of headings.
  bool IsHeading(size_t line) const { return line < flags_.size() && (flags_[line] & kHeading) != 0; }
  // Every letter of the line lies in links into the book: a line of a table of contents.
  bool IsLinkOnly(size_t line) const { return line < flags_.size() && (flags_[line] & kLinkOnly) != 0; }

  const std::vector<std::u16string>& Lines() const { return lines_; }
  std::vector<std::u16string> TakeLines();
  // Ends the current line and takes the lines from `first` on out of the text (a part of the book
  // that is left out).
  std::vector<std::u16string> TakeLinesFrom(size_t first);
  // The lines from `first` on joined as one title: ". " after a line that ends in a letter or
  // digit, else a space.
  std::u16string TitleFrom(size_t first) const;

  // Where a passage of text starts, so that it can be looked at and taken out again (the mark of
  // a note in the text).
  struct Place {
    size_t Line = 0;
    size_t Bytes = 0;
    bool Space = false;
  };
  Place Mark() const { return {lines_.size(), current_.size(), space_}; }
  // The text added since the mark; nullopt when a line ended since.
  std::optional<std::string_view> TextSince(const Place& mark) const;
  // Takes out the text added since the mark (nothing when a line ended since).
  void DropSince(const Place& mark);
  // The text added since the mark stays for now, but may be taken out once the whole book is
  // read (a number glued to a word, when its link turns out to lead to a note): its number, for
  // DropPassages.
  size_t KeepTentatively(const Place& mark);
  // Takes out the passages kept tentatively for which `drop` says so, of the lines still held.
  void DropPassages(const std::function<bool(size_t passage)>& drop);

 private:
  static constexpr uint8_t kHeading = 1;
  static constexpr uint8_t kLinkOnly = 2;
  static constexpr size_t kNoLine = static_cast<size_t>(-1);

  struct Passage {
    size_t Line = kNoLine;  // kNoLine once its line is gone
    size_t Start = 0;       // in UTF-16 code units
    size_t Length = 0;
  };
  struct Pending {
    size_t Passage = 0;
    size_t Start = 0;  // in bytes of current_
    size_t End = 0;
  };

  void AddWord(std::string_view word);
  void PlacePending(const std::u16string& line);

  size_t maxBytes_;
  size_t bytes_ = 0;
  bool full_ = false;
  std::vector<std::u16string> lines_;
  std::vector<uint8_t> flags_;  // of each line
  std::string current_;         // the current line in UTF-8
  bool space_ = false;          // a space is due before the next text
  size_t headingDepth_ = 0;
  size_t linkDepth_ = 0;
  bool textOutsideHeadings_ = false;  // of the current line
  bool lettersInLinks_ = false;
  bool lettersOutsideLinks_ = false;
  std::vector<Passage> passages_;
  std::vector<Pending> pending_;  // the passages of the current line
};

// The text with its ASCII letters in lower case, for the names of elements, entries and tokens.
std::string LowerAscii(std::string_view text);

// Every run of white space in the UTF-8 text as one space, none at the ends; for titles, names
// and other short texts.
std::u16string CollapsedText(std::string_view text);

// A message of the readers as one line: the names it holds come from the book and may hold line
// breaks and other control characters, which become "?".
std::u16string MessageLine(std::string_view utf8);

}  // namespace sonacli
