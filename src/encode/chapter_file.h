// The chapters of a WAV or raw output, written beside it: an FFmpeg metadata file or a CUE sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encode/chapter_list.h"
#include "encode/media_tags.h"
#include "encode/output_format.h"

namespace sonacli {

enum class TChapterFileKind { FfMetadata, Cue };

// The kind a file name's extension chooses, whatever its case: ".cue" a CUE sheet; ".txt",
// ".ffmeta" and ".ffmetadata" an FFmpeg metadata file. Nothing for any other or no extension.
std::optional<TChapterFileKind> ChapterFileKindFromName(std::u16string_view fileName);
// The extensions ChapterFileKindFromName knows, for a message: ".txt, .ffmeta, .ffmetadata, .cue".
std::u16string KnownChapterFileExtensions();

// An FFmpeg metadata file (UTF-8, LF): ";FFMETADATA1", the tags, and a [CHAPTER] section per
// chapter timed exactly, in sample frames (TIMEBASE=1/rate). "=", ";", "#", "\" and line breaks in
// keys and values are escaped with "\". The cover is not part of it.
std::string FfMetadataText(const std::vector<TChapterSpan>& chapters, int32_t sampleRate,
                           const TMediaTags& tags);

// A CUE sheet holds at most 99 tracks.
inline constexpr size_t kMaxCueTracks = 99;

// Whether a CUE sheet can name the audio file (its name without the folder): the sheet quotes
// names and cannot escape a double quote or a line break in them. False with the message otherwise.
bool CheckCueSheetCanName(std::u16string_view audioFileName, std::u16string& error);

// A CUE sheet (UTF-8 without a byte order mark, which players would take for part of the first
// command; CR LF): the book's title and author, the audio file with its type (MP3 for MP3, BINARY
// for raw PCM, WAVE for the rest: the sheet knows no type of its own for Opus, M4B or FLAC, and
// players take WAVE for any audio they decode), and a track per chapter whose INDEX 01 is its
// start rounded to the sheet's 1/75 s. Double quotes in titles, which the sheet cannot escape,
// become single quotes. False with the message for more than 99 chapters or an audio file name
// the sheet cannot hold.
bool CueSheetText(const std::vector<TChapterSpan>& chapters, int32_t sampleRate, const TMediaTags& tags,
                  std::u16string_view audioFileName, TOutputFormat audioFormat, std::string& text,
                  std::u16string& error);

// Writes the chapter file of the kind its name chooses, replacing an old one only once the new
// one is complete. False with the message when the name has no known extension, the sheet cannot
// hold the chapters or the file cannot be written.
bool WriteChapterFile(std::u16string_view fileName, const std::vector<TChapterSpan>& chapters,
                      int32_t sampleRate, const TMediaTags& tags, std::u16string_view audioFileName,
                      TOutputFormat audioFormat, std::u16string& error);

}  // namespace sonacli
