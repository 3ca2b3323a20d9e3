// Code pages by their Windows numbers, converted with ICU.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageUtf16LE = 1200;
constexpr int kCodePageUtf16BE = 1201;

// The ANSI code page Windows gives a language ("ru", "pl", "ja" ...): the one it uses for text
// without byte-order mark in that locale; 1252 for unknown ones.
int AnsiCodePageForLanguage(std::string_view language, std::string_view territory);

// Decodes bytes of the given code page; nullopt when the code page is unknown here.
// Bytes that do not map become U+FFFD.
std::optional<std::u16string> DecodeCodePage(std::string_view bytes, int codePage);
// Encodes text in the given code page; characters it cannot hold become "?".
// An unknown code page falls back to UTF-8.
std::string EncodeCodePage(std::u16string_view text, int codePage);

// Text without byte-order mark or with one: a UTF-8, UTF-16LE or UTF-16BE mark selects that
// encoding (and is dropped), otherwise the bytes are read in fallbackCodePage.
std::u16string DecodeByByteOrderMark(std::string_view bytes, int fallbackCodePage);

// The bytes hold at least one byte from 0x80 and every sequence from there on is well-formed
// UTF-8: no overlong forms, nothing above U+10FFFF, none cut short (encoded surrogates pass).
bool IsWellFormedUtf8(std::string_view bytes);

// A text file's bytes as the program reads configuration, list and dictionary files: by its
// byte-order mark; without one, as UTF-8 when it is well-formed UTF-8 (files on this system
// usually are, and text in a Windows code page almost never is), else in the ANSI code page.
std::u16string DecodeTextFile(std::string_view bytes, int ansiCodePage);

}  // namespace sonacli
