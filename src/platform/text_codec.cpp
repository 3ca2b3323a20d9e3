#include "platform/text_codec.h"

#include <algorithm>
#include <memory>
#include <string>

#include <unicode/ucnv.h>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

struct NamedCodePage {
  int codePage;
  const char* name;
};

// Code pages whose ICU name is not simply "windows-N", "ibm-N" or "cpN".
constexpr NamedCodePage kNamedCodePages[] = {
    {20866, "KOI8-R"},      {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"}, {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"}, {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},  {28599, "ISO-8859-9"}, {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"}, {10000, "macintosh"},  {10007, "x-mac-cyrillic"},
    {932, "Shift_JIS"},     {936, "GBK"},          {949, "windows-949"},
    {950, "Big5"},          {51932, "EUC-JP"},     {51949, "EUC-KR"},
    {50220, "ISO-2022-JP"}, {54936, "GB18030"},    {52936, "HZ-GB-2312"},
    {20127, "US-ASCII"},    {65000, "UTF-7"},      {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},
};

ConverterPtr OpenConverter(int codePage) {
  std::string candidates[4];
  int count = 0;
  for (const NamedCodePage& named : kNamedCodePages) {
    if (named.codePage == codePage) candidates[count++] = named.name;
  }
  candidates[count++] = "windows-" + std::to_string(codePage);
  candidates[count++] = "ibm-" + std::to_string(codePage);
  candidates[count++] = "cp" + std::to_string(codePage);
  for (int i = 0; i < count; ++i) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr converter(ucnv_open(candidates[i].c_str(), &status));
    if (U_SUCCESS(status) && converter) return converter;
  }
  return nullptr;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    auto first = static_cast<unsigned char>(bytes[2 * i]);
    auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    out[i] =
        bigEndian ? static_cast<char16_t>(first << 8 | second) : static_cast<char16_t>(second << 8 | first);
  }
  return out;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    char high = static_cast<char>(c >> 8);
    char low = static_cast<char>(c & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
  return out;
}

struct LanguageCodePage {
  const char* language;
  int codePage;
};

constexpr LanguageCodePage kLanguageCodePages[] = {
    {"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"be", 1251}, {"sr", 1251}, {"mk", 1251}, {"kk", 1251},
    {"pl", 1250}, {"cs", 1250}, {"sk", 1250}, {"hu", 1250}, {"ro", 1250}, {"hr", 1250}, {"sl", 1250},
    {"bs", 1250}, {"sq", 1250}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"uz", 1254}, {"he", 1255},
    {"iw", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257}, {"lv", 1257}, {"et", 1257},
    {"vi", 1258}, {"th", 874},  {"ja", 932},  {"ko", 949},
};

bool IsContinuation(unsigned char byte) {
  return byte >= 0x80 && byte <= 0xBF;
}

// The length of the well-formed sequence at the start of the bytes; 0 when there is none.
size_t SequenceLength(std::string_view bytes) {
  auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0; };
  unsigned char lead = at(0);
  size_t length = 0;
  unsigned char secondLow = 0x80, secondHigh = 0xBF;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (at(1) < secondLow || at(1) > secondHigh) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!IsContinuation(at(i))) return 0;
  }
  return length;
}

}  // namespace

int AnsiCodePageForLanguage(std::string_view language, std::string_view territory) {
  if (language == "zh") {
    return (territory == "TW" || territory == "HK" || territory == "MO") ? 950 : 936;
  }
  for (const LanguageCodePage& entry : kLanguageCodePages) {
    if (language == entry.language) return entry.codePage;
  }
  return 1252;
}

std::optional<std::u16string> DecodeCodePage(std::string_view bytes, int codePage) {
  if (codePage == kCodePageUtf8) return ToUtf16(bytes);
  if (codePage == kCodePageUtf16LE) return DecodeUtf16(bytes, false);
  if (codePage == kCodePageUtf16BE) return DecodeUtf16(bytes, true);
  ConverterPtr converter = OpenConverter(codePage);
  if (!converter) return std::nullopt;
  std::u16string out(bytes.size() * 2 + 16, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                 static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string EncodeCodePage(std::u16string_view text, int codePage) {
  if (codePage == kCodePageUtf16LE) return EncodeUtf16(text, false);
  if (codePage == kCodePageUtf16BE) return EncodeUtf16(text, true);
  ConverterPtr converter = codePage == kCodePageUtf8 ? nullptr : OpenConverter(codePage);
  if (!converter) return ToUtf8(text);
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(converter.get(), "?", 1, &status);
  status = U_ZERO_ERROR;
  std::string out(text.size() * 4 + 16, '\0');
  int32_t length = ucnv_fromUChars(converter.get(), out.data(), static_cast<int32_t>(out.size()), text.data(),
                                   static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return ToUtf8(text);
  out.resize(static_cast<size_t>(length));
  return out;
}

bool IsWellFormedUtf8(std::string_view bytes) {
  auto first =
      std::find_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (first == bytes.end()) return false;
  std::string_view rest = bytes.substr(static_cast<size_t>(first - bytes.begin()));
  while (!rest.empty()) {
    size_t length = SequenceLength(rest);
    if (length == 0) return false;
    rest.remove_prefix(length);
  }
  return true;
}

std::u16string DecodeByByteOrderMark(std::string_view bytes, int fallbackCodePage) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return ToUtf16(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  std::optional<std::u16string> text = DecodeCodePage(bytes, fallbackCodePage);
  return text ? *text : ToUtf16(bytes);
}

std::u16string DecodeTextFile(std::string_view bytes, int ansiCodePage) {
  bool hasMark =
      bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
  if (!hasMark && IsWellFormedUtf8(bytes)) return ToUtf16(bytes);
  return DecodeByByteOrderMark(bytes, ansiCodePage);
}

}  // namespace sonacli
