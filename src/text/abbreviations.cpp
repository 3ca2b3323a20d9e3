#include "text/abbreviations.h"

#include <array>
#include <unordered_map>
#include <vector>

#include "common/char_classes.h"
#include "text/char_at.h"

namespace sonacli {

namespace {

constexpr std::array<std::u16string_view, 236> kFullAbbreviations = {
    u"Abb.",    u"allg.",    u"Angl.",     u"bes.",   u"bzw.",    u"d.h.",      u"Dr.",      u"dt.",
    u"e.g.",    u"vs.",      u"ehem.",     u"eigtl.", u"etw.",    u"evtl.",     u"ff.",      u"Fr.",
    u"ges.",    u"ggf.",     u"Ggs.",      u"hl.",    u"Hr.",     u"i.e.",      u"i.e.S.",   u"i.w.S.",
    u"Jh.",     u"jmd.",     u"Kap.",      u"kfm.",   u"Mag.",    u"Univ.",     u"n.Chr.",   u"o.Ä.",
    u"od.",     u"Prof.",    u"sog.",      u"svw.",   u"u.",      u"St.",       u"Mt.",      u"u.a.",
    u"u. a.",   u"u.Ä.",     u"u.dgl.",    u"u.U.",   u"übertr.", u"usw.",      u"U.S.",     u"U. S.",
    u"v.a.",    u"v. a.",    u"vgl.",      u"z.B.",   u"z. B.",   u"z.T.",      u"d. h.",    u"Mr.",
    u"Ms.",     u"Mrs.",     u"т.е.",      u"т. е.",  u"Р.Х.",    u"Р. Х.",     u"в т. ч.",  u"в т.ч.",
    u"з.д.",    u"з. д.",    u"в.д.",      u"в. д.",  u"с.ш.",    u"с. ш.",     u"ю.ш.",     u"ю. ш.",
    u"у.е.",    u"у. е.",    u"г.",        u"кв.",    u"авт.",    u"адм.",      u"арифм.",   u"архит.",
    u"библ.",   u"биогр.",   u"биол.",     u"бюдж.",  u"вдхр.",   u"внеш.",     u"внутр.",   u"воен.",
    u"вмц.",    u"вмцц.",    u"вмч.",      u"вмчч.",  u"возд.",   u"воскр.",    u"вост.",    u"восх.",
    u"вступ.",  u"гв.",      u"геогр.",    u"геол.",  u"геом.",   u"гражд.",    u"диал.",    u"дист.",
    u"дифф.",   u"долл.",    u"дубл.",     u"ежедн.", u"ежемес.", u"еженед.",   u"журн.",    u"загл.",
    u"зав.",    u"зам.",     u"зап.",      u"засл.",  u"зен.",    u"избр.",     u"изд.",     u"илл.",
    u"инж.",    u"иностр.",  u"инст.",     u"инстр.", u"испр.",   u"иссл.",     u"истор.",   u"кавк.",
    u"книжн.",  u"колич.",   u"комм.",     u"конгр.", u"конф.",   u"кооп.",     u"корр.",    u"коэфф.",
    u"магн.",   u"матем.",   u"матер.",    u"межд.",  u"междом.", u"междунар.", u"местоим.", u"миним.",
    u"мифол.",  u"многокр.", u"моск.",     u"мц.",    u"мцц.",    u"мч.",       u"мчч.",     u"наб.",
    u"назв.",   u"наиб.",    u"наим.",     u"накл.",  u"напр.",   u"науч.",     u"нац.",     u"неизв.",
    u"неизм.",  u"неодуш.",  u"неопр.",    u"неск.",  u"нескл.",  u"несов.",    u"одуш.",    u"офиц.",
    u"партиз.", u"петерб.",  u"плоск.",    u"пн.",    u"подп.",   u"полигр.",   u"посв.",    u"правосл.",
    u"пресв.",  u"прмц.",    u"прмцц.",    u"прмч.",  u"прмчч.",  u"прп.",      u"преп.",    u"прпп.",
    u"псевд.",  u"равноап.", u"равноапп.", u"револ.", u"религ.",  u"св.",       u"свв.",     u"своб.",
    u"свт.",    u"свтт.",    u"свх.",      u"свящ.",  u"секр.",   u"серж.",     u"симм.",    u"симф.",
    u"сист.",   u"собств.",  u"собр.",     u"совм.",  u"совр.",   u"согл.",     u"соед.",    u"сокр.",
    u"соотв.",  u"сотр.",    u"соц.",      u"соч.",   u"сущ.",    u"сщмч.",     u"сщмчч.",   u"теор.",
    u"т.",      u"тт.",      u"тыс.",      u"удовл.", u"ул.",     u"урожд.",    u"устар.",   u"утр.",
    u"ущ.",     u"фаш.",     u"фельдм.",   u"церк.",  u"чл.",     u"ш.",        u"шк.",      u"шосс.",
    u"экон.",   u"юж.",      u"юридич.",   u"языч.",
};

constexpr std::array<TAbbreviation, 41> kInnerAbbreviations = {{
    {u"z.B.", 2},   {u"z. B.", 2},   {u"i.e.S.", 2}, {u"i.e.S.", 4},  {u"i.w.S.", 2}, {u"i.w.S.", 4},
    {u"n.Chr.", 2}, {u"n. Chr.", 2}, {u"o.Ä.", 2},   {u"o. Ä.", 2},   {u"u.a.", 2},   {u"u. a.", 2},
    {u"u.Ä.", 2},   {u"u. Ä.", 2},   {u"u.dgl.", 2}, {u"u. dgl.", 2}, {u"u.U.", 2},   {u"u. U.", 2},
    {u"v.a.", 2},   {u"v. a.", 2},   {u"v.Chr.", 2}, {u"v. Chr.", 2}, {u"d.h.", 2},   {u"d. h.", 2},
    {u"e.g.", 2},   {u"e. g.", 2},   {u"i.e.", 2},   {u"i. e.", 2},   {u"U.S.", 2},   {u"U. S.", 2},
    {u"в т.ч.", 4}, {u"в т. ч.", 4}, {u"т.е.", 2},   {u"т. е.", 2},   {u"Р. Х.", 2},  {u"с. г.", 2},
    {u"з. д.", 2},  {u"в. д.", 2},   {u"с. ш.", 2},  {u"ю. ш.", 2},   {u"у. е.", 2},
}};

// Every entry with the full stop it protects, filed under the character before that full stop, so
// that a full stop is compared only with the entries that can match it.
class AbbreviationIndex {
 public:
  AbbreviationIndex() {
    for (std::u16string_view entry : kFullAbbreviations) Add({entry, static_cast<int>(entry.size())});
    for (const TAbbreviation& entry : kInnerAbbreviations) Add(entry);
  }

  bool Matches(std::u16string_view text, ptrdiff_t i) const {
    auto found = byPrevious_.find(CharAt(text, i - 1));
    if (found == byPrevious_.end()) return false;
    for (const TAbbreviation& entry : found->second) {
      ptrdiff_t begin = i - entry.Position + 1;
      if (MatchesAt(text, begin, entry.Text) && !WordLetter(CharAt(text, begin - 1))) return true;
    }
    return false;
  }

 private:
  void Add(const TAbbreviation& entry) {
    char16_t previous = entry.Position >= 2 ? entry.Text[static_cast<size_t>(entry.Position) - 2] : u'\0';
    byPrevious_[previous].push_back(entry);
  }

  std::unordered_map<char16_t, std::vector<TAbbreviation>> byPrevious_;
};

}  // namespace

std::span<const std::u16string_view> FullAbbreviations() {
  return kFullAbbreviations;
}

std::span<const TAbbreviation> InnerAbbreviations() {
  return kInnerAbbreviations;
}

bool Abbreviation(std::u16string_view text, ptrdiff_t i) {
  static const AbbreviationIndex index;
  return CharAt(text, i) == u'.' && index.Matches(text, i);
}

}  // namespace sonacli
