#include "main/book_input.h"

#include <iterator>
#include <vector>

#include "book/book_chapters.h"
#include "common/unicode_text.h"
#include "encode/cover_image.h"
#include "text/chapter_tag.h"

namespace sonacli {

void AppendBook(TBook& book, size_t index, TInputText& text) {
  std::vector<TBookChapter> chapters;
  if (book.Chapters.empty() || book.Chapters.front().Line > 0) chapters.push_back({book.Title, 0});
  std::move(book.Chapters.begin(), book.Chapters.end(), std::back_inserter(chapters));
  book.Chapters.clear();
  // FinishChapters gives the lead-in chapter a title from its first line when the book has none.
  std::vector<TLineChapter> marks;
  for (TBookChapter& chapter : FinishChapters(std::move(chapters), book.Lines))
    marks.push_back({chapter.Line, ChapterTitleOfTag(chapter.Title)});
  std::vector<std::u16string> lines = std::move(book.Lines);
  book.Lines.clear();
  AppendBookText(text, std::move(lines), std::move(marks), index, book.Language);
}

void NoteLeftOut(const TBook& book, std::u16string_view name, TBookNotes& notes) {
  for (const TBookLeftOut& part : book.LeftOut) notes.LeftOut.push_back({std::u16string(name), part});
}

std::u16string CoverLeftOut(const TBook& book) {
  std::u16string error;
  if (book.Cover.Bytes.empty() || CheckCoverDecodes(book.Cover.Bytes, error)) return {};
  std::u16string reason = error;
  if (!CheckCover(book.Cover.Bytes, error))
    reason = ReadCoverImage(book.Cover.Bytes) ? u"larger than 15 MiB" : u"not a JPEG or PNG image";
  if (book.Cover.MediaType.empty()) return reason;
  return reason + u" (" + ToUtf16(book.Cover.MediaType) + u")";
}

void FillMediaTagsFromBook(const TBook& book, TMediaTags& tags, std::u16string& coverLeftOut) {
  coverLeftOut.clear();
  if (tags.Title.empty()) tags.Title = book.Title;
  if (tags.Author.empty()) tags.Author = BookAuthor(book);
  if (!tags.Cover.empty() || book.Cover.Bytes.empty()) return;
  if (CheckCoverDecodes(book.Cover.Bytes, coverLeftOut)) tags.Cover = book.Cover.Bytes;
}

}  // namespace sonacli
