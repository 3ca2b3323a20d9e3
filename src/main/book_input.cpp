#include "main/book_input.h"

#include <iterator>

#include "book/book_chapters.h"
#include "encode/cover_image.h"
#include "text/chapter_tag.h"

namespace sonacli {

std::vector<std::u16string> TakeBookLines(TBook& book) {
  std::vector<TBookChapter> chapters;
  if (book.Chapters.empty() || book.Chapters.front().Line > 0) chapters.push_back({book.Title, 0});
  std::move(book.Chapters.begin(), book.Chapters.end(), std::back_inserter(chapters));
  book.Chapters.clear();
  std::vector<std::u16string> lines = std::move(book.Lines);
  book.Lines.clear();
  // FinishChapters gives the lead-in chapter a title from its first line when the book has none.
  for (const TBookChapter& chapter : FinishChapters(std::move(chapters), lines))
    lines[chapter.Line].insert(0, ChapterTag(chapter.Title));
  return lines;
}

void FillMediaTagsFromBook(const TBook& book, TMediaTags& tags, std::u16string& coverLeftOut) {
  coverLeftOut.clear();
  if (tags.Title.empty()) tags.Title = book.Title;
  if (tags.Author.empty()) tags.Author = BookAuthor(book);
  if (!tags.Cover.empty() || book.Cover.Bytes.empty()) return;
  if (CheckCoverDecodes(book.Cover.Bytes, coverLeftOut)) tags.Cover = book.Cover.Bytes;
}

}  // namespace sonacli
