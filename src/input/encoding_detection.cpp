#include "input/encoding_detection.h"

#include <uchardet/uchardet.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "platform/text_codec.h"

namespace sonacli {

namespace {

struct DetectorDeleter {
  void operator()(uchardet* detector) const { uchardet_delete(detector); }
};
using DetectorPtr = std::unique_ptr<uchardet, DetectorDeleter>;

struct CharsetCodePageEntry {
  std::string_view name;  // as uchardet names it, upper case
  int codePage;
};

// uchardet's charset names and the Windows code pages that stand for them.
constexpr CharsetCodePageEntry kCharsetCodePages[] = {
    {"ASCII", 20127},
    {"UTF-8", kCodePageUtf8},
    {"UTF-16LE", kCodePageUtf16LE},
    {"UTF-16BE", kCodePageUtf16BE},
    {"UTF-32LE", 12000},
    {"UTF-32BE", 12001},
    {"WINDOWS-1250", 1250},
    {"WINDOWS-1251", 1251},
    {"WINDOWS-1252", 1252},
    {"WINDOWS-1253", 1253},
    {"WINDOWS-1254", 1254},
    {"WINDOWS-1255", 1255},
    {"WINDOWS-1256", 1256},
    {"WINDOWS-1257", 1257},
    {"WINDOWS-1258", 1258},
    {"IBM852", 852},
    {"IBM855", 855},
    {"IBM862", 862},
    {"IBM865", 865},
    {"IBM866", 866},
    {"CP737", 737},
    {"KOI8-R", 20866},
    {"KOI8-U", 21866},
    {"ISO-8859-1", 28591},
    {"ISO-8859-2", 28592},
    {"ISO-8859-3", 28593},
    {"ISO-8859-4", 28594},
    {"ISO-8859-5", 28595},
    {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597},
    {"ISO-8859-8", 28598},
    {"ISO-8859-9", 28599},
    {"ISO-8859-11", 874},
    {"ISO-8859-13", 28603},
    {"ISO-8859-15", 28605},
    {"TIS-620", 874},
    {"MAC-CYRILLIC", 10007},
    {"MAC-CENTRALEUROPE", 10029},
    {"SHIFT_JIS", 932},
    {"EUC-JP", 51932},
    {"ISO-2022-JP", 50220},
    {"GB18030", 54936},
    {"HZ-GB-2312", 52936},
    {"ISO-2022-CN", 50227},
    {"BIG5", 950},
    {"EUC-TW", 51950},
    {"EUC-KR", 51949},
    {"UHC", 949},
    {"ISO-2022-KR", 50225},
};

}  // namespace

// UTF-16 without byte-order mark, by its zero bytes: text in single-byte code pages and UTF-8
// holds none, while UTF-16 has one in the high byte of every ASCII character (spaces, digits,
// punctuation, line ends) and rarely one in the low byte. 1200, 1201, or -1 for neither.
int Utf16CodePageByZeros(std::string_view bytes) {
  size_t evenZeros = 0, oddZeros = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\0') ++(i % 2 == 0 ? evenZeros : oddZeros);
  }
  const size_t units = bytes.size() / 2;
  auto looksLike = [units](size_t highZeros, size_t lowZeros) {
    return highZeros * 20 >= units && highZeros > 0 && lowZeros * 10 <= highZeros;
  };
  if (looksLike(oddZeros, evenZeros)) return kCodePageUtf16LE;
  if (looksLike(evenZeros, oddZeros)) return kCodePageUtf16BE;
  return -1;
}

TEncoding ByteOrderMarkOf(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return TEncoding::Utf8;
  if (bytes.starts_with("\xFF\xFE")) return TEncoding::Utf16LE;
  if (bytes.starts_with("\xFE\xFF")) return TEncoding::Utf16BE;
  return TEncoding::Ansi;
}

int CharsetCodePage(std::string_view charsetName) {
  std::string upper(charsetName);
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  for (const CharsetCodePageEntry& entry : kCharsetCodePages) {
    if (entry.name == upper) return entry.codePage;
  }
  return -1;
}

int DetectCharsetCodePage(std::string_view bytes) {
  // uchardet does not recognise UTF-16 without byte-order mark.
  if (int utf16 = Utf16CodePageByZeros(bytes); utf16 != -1) return utf16;
  DetectorPtr detector(uchardet_new());
  if (!detector) return -1;
  uchardet_handle_data(detector.get(), bytes.data(), bytes.size());
  uchardet_data_end(detector.get());
  const char* charset = uchardet_get_charset(detector.get());
  return charset ? CharsetCodePage(charset) : -1;
}

TEncoding ChooseContentEncoding(int codePage, std::string_view bytes) {
  switch (codePage) {
    case kCodePageUtf16LE:
      return bytes.size() > 800 ? TEncoding::Utf16LE : TEncoding::Ansi;
    case kCodePageUtf8:
      return TEncoding::Utf8;
    case -1:
      return bytes.size() <= 50 || IsWellFormedUtf8(bytes) ? TEncoding::Utf8 : TEncoding::Ansi;
    default:
      return TEncoding::Ansi;
  }
}

TDetectedEncoding DetectEncoding(std::string_view bytes) {
  TDetectedEncoding result;
  result.ByteOrderMark = ByteOrderMarkOf(bytes);
  if (result.ByteOrderMark != TEncoding::Ansi) return result;
  int codePage = DetectCharsetCodePage(bytes);
  result.CodePage = static_cast<uint16_t>(codePage & 0xFFFF);
  result.Content = ChooseContentEncoding(codePage, bytes);
  return result;
}

}  // namespace sonacli
