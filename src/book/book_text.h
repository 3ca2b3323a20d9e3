// The text of a book as its readers build it: lines of blocks with their white space collapsed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

class TBookText {
 public:
  // Text beyond maxBytes of UTF-8 is not taken: Full() tells.
  explicit TBookText(size_t maxBytes = static_cast<size_t>(-1)) : maxBytes_(maxBytes) {}

  // Appends UTF-8 text to the current line. Every run of white space and control characters
  // becomes one space, and none is kept at the start of a line.
  void Add(std::string_view text);
  // Ends the current line: at the end of a block, or at a line break inside one. A line of
  // nothing but white space (no-break spaces included) is dropped, and so are the white space
  // characters at its ends.
  void EndLine();
  // The index the current line will have, or the next one when the current one is still empty.
  size_t Position() const { return lines_.size(); }
  bool Full() const { return full_; }
  // What to say when the text is full: "the text is larger than 256 MB".
  std::string FullMessage() const;

  const std::vector<std::u16string>& Lines() const { return lines_; }
  std::vector<std::u16string> TakeLines();
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

 private:
  size_t maxBytes_;
  size_t bytes_ = 0;
  bool full_ = false;
  std::vector<std::u16string> lines_;
  std::string current_;  // the current line in UTF-8
  bool space_ = false;   // a space is due before the next text
};

// The text with its ASCII letters in lower case, for the names of elements, entries and tokens.
std::string LowerAscii(std::string_view text);

// Every run of white space in the UTF-8 text as one space, none at the ends; for titles, names
// and other short texts.
std::u16string CollapsedText(std::string_view text);

}  // namespace sonacli
