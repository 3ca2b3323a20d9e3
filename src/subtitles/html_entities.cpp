#include "subtitles/html_entities.h"

#include <array>
#include <cstdint>
#include <optional>

#include "subtitles/subtitle_text.h"

namespace sonacli {

namespace {

constexpr size_t kNone = std::u16string_view::npos;
// The longest reference between "&" and ";": "#x10FFFF".
constexpr size_t kLongestReference = 8;

struct NamedEntity {
  std::u16string_view Name;
  char32_t Character;
};

// The names of U+00A0 to U+00FF, in the order of their characters.
constexpr std::array<std::u16string_view, 96> kLatin1Names = {
    u"nbsp",   u"iexcl",  u"cent",   u"pound",  u"curren", u"yen",    u"brvbar", u"sect",   u"uml",
    u"copy",   u"ordf",   u"laquo",  u"not",    u"shy",    u"reg",    u"macr",   u"deg",    u"plusmn",
    u"sup2",   u"sup3",   u"acute",  u"micro",  u"para",   u"middot", u"cedil",  u"sup1",   u"ordm",
    u"raquo",  u"frac14", u"frac12", u"frac34", u"iquest", u"Agrave", u"Aacute", u"Acirc",  u"Atilde",
    u"Auml",   u"Aring",  u"AElig",  u"Ccedil", u"Egrave", u"Eacute", u"Ecirc",  u"Euml",   u"Igrave",
    u"Iacute", u"Icirc",  u"Iuml",   u"ETH",    u"Ntilde", u"Ograve", u"Oacute", u"Ocirc",  u"Otilde",
    u"Ouml",   u"times",  u"Oslash", u"Ugrave", u"Uacute", u"Ucirc",  u"Uuml",   u"Yacute", u"THORN",
    u"szlig",  u"agrave", u"aacute", u"acirc",  u"atilde", u"auml",   u"aring",  u"aelig",  u"ccedil",
    u"egrave", u"eacute", u"ecirc",  u"euml",   u"igrave", u"iacute", u"icirc",  u"iuml",   u"eth",
    u"ntilde", u"ograve", u"oacute", u"ocirc",  u"otilde", u"ouml",   u"divide", u"oslash", u"ugrave",
    u"uacute", u"ucirc",  u"uuml",   u"yacute", u"thorn",  u"yuml"};

// The other names that subtitles use: markup characters, typography, a few letters and signs.
constexpr NamedEntity kOtherNames[] = {
    {u"quot", U'"'},        {u"amp", U'&'},        {u"apos", U'\''},       {u"lt", U'<'},
    {u"gt", U'>'},          {u"OElig", U'\u0152'}, {u"oelig", U'\u0153'},  {u"Scaron", U'\u0160'},
    {u"scaron", U'\u0161'}, {u"Yuml", U'\u0178'},  {u"circ", U'\u02C6'},   {u"tilde", U'\u02DC'},
    {u"ensp", U'\u2002'},   {u"emsp", U'\u2003'},  {u"thinsp", U'\u2009'}, {u"zwnj", U'\u200C'},
    {u"zwj", U'\u200D'},    {u"lrm", U'\u200E'},   {u"rlm", U'\u200F'},    {u"ndash", U'\u2013'},
    {u"mdash", U'\u2014'},  {u"lsquo", U'\u2018'}, {u"rsquo", U'\u2019'},  {u"sbquo", U'\u201A'},
    {u"ldquo", U'\u201C'},  {u"rdquo", U'\u201D'}, {u"bdquo", U'\u201E'},  {u"dagger", U'\u2020'},
    {u"Dagger", U'\u2021'}, {u"bull", U'\u2022'},  {u"hellip", U'\u2026'}, {u"permil", U'\u2030'},
    {u"prime", U'\u2032'},  {u"Prime", U'\u2033'}, {u"lsaquo", U'\u2039'}, {u"rsaquo", U'\u203A'},
    {u"euro", U'\u20AC'},   {u"trade", U'\u2122'}, {u"minus", U'\u2212'},
};

// The names that are also known in capitals.
constexpr std::u16string_view kCaselessNames[] = {u"amp", u"lt", u"gt", u"quot", u"apos", u"nbsp"};

std::optional<char32_t> NamedCharacter(std::u16string_view name) {
  for (size_t i = 0; i < kLatin1Names.size(); ++i) {
    if (kLatin1Names[i] == name) return static_cast<char32_t>(0xA0 + i);
  }
  for (const NamedEntity& entity : kOtherNames) {
    if (entity.Name == name) return entity.Character;
  }
  for (std::u16string_view caseless : kCaselessNames) {
    if (name.size() == caseless.size() && MatchesCaseless(name, 0, caseless)) return NamedCharacter(caseless);
  }
  return std::nullopt;
}

int DigitValue(char16_t c, int base) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  const char16_t lower = AsciiLower(c);
  if (base == 16 && lower >= u'a' && lower <= u'f') return lower - u'a' + 10;
  return -1;
}

// "#digits" or "#xhex", a scalar value other than 0 (no surrogate).
std::optional<char32_t> NumberedCharacter(std::u16string_view reference) {
  const bool hex = reference.size() > 1 && AsciiLower(reference[1]) == u'x';
  const std::u16string_view digits = reference.substr(hex ? 2 : 1);
  const int base = hex ? 16 : 10;
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char16_t c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * base + static_cast<uint32_t>(digit);
    if (value > 0x10FFFF) return std::nullopt;
  }
  if (value == 0 || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
  return static_cast<char32_t>(value);
}

void AppendCharacter(std::u16string& text, char32_t c) {
  if (c < 0x20 || c == 0xA0) {
    text.push_back(u' ');
  } else if (c < 0x10000) {
    text.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

}  // namespace

std::u16string DecodeHtmlEntities(std::u16string_view text) {
  if (text.find(u'&') == kNone) return std::u16string(text);
  std::u16string decoded;
  decoded.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t amp = text.find(u'&', at);
    decoded.append(text.substr(at, amp == kNone ? kNone : amp - at));
    if (amp == kNone) break;
    // The ";" is looked for only as far as the longest reference, so that a long text with many
    // "&" and few ";" is read once.
    const size_t length = text.substr(amp + 1, kLongestReference + 1).find(u';');
    std::optional<char32_t> character;
    if (length != kNone) {
      const std::u16string_view reference = text.substr(amp + 1, length);
      character = reference.starts_with(u'#') ? NumberedCharacter(reference) : NamedCharacter(reference);
    }
    if (character) {
      AppendCharacter(decoded, *character);
      at = amp + length + 2;
    } else {
      decoded.push_back(u'&');
      at = amp + 1;
    }
  }
  return decoded;
}

}  // namespace sonacli
