// Reading large books beside libxml2 alone parsing the same documents, in one run: an EPUB of
// 10 MB and of 100 MB of XHTML (in documents of 256 kB, deflated), and an FB2 of 10 MB and of
// 100 MB. The readers must take at most 3 times what libxml2 alone needs to parse the same
// documents into a tree (xmlReadMemory; for the EPUB on the documents already unpacked, and for
// reference also unpacking them with libzip first), and grow linearly: 100 MB in at most 12 times
// the time of 10 MB. And the memory of reading an FB2 of 200 MB. Run from a Release build.
// The metadata of a package is read in linear time however many refinements it holds: a book
// whose package holds 40,000 metas in at most 12 times the time of one that holds 4,000 (beside
// libxml2 alone parsing the same package).
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <malloc.h>
#include <zip.h>

#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "book/epub_reader.h"
#include "book/fb2_reader.h"
#include "zip_maker/zip_maker.h"

namespace sonacli {
namespace {

constexpr size_t kMegabyte = size_t{1} << 20;
constexpr size_t kDocumentBytes = size_t{256} << 10;

// Words of Latin and Cyrillic syllables in sentences of 5 to 20 words, so that the text compresses
// as text does (about 3 times), with some inline markup and the marks of notes.
class Writer {
 public:
  std::string Word() {
    static const char* const kSyllables[] = {"ka",  "lo",  "mer", "tin", "sa",  "ve", "dor",
                                             "pu",  "ри",  "ста", "ло",  "мен", "ка", "ду",
                                             "вер", "ной", "the", "and", "ing", "on"};
    std::string word;
    for (unsigned n = 1 + random_() % 3; n > 0; --n) word += kSyllables[random_() % 20];
    return word;
  }

  std::string Paragraph() {
    std::string text;
    for (unsigned sentence = 2 + random_() % 4; sentence > 0; --sentence) {
      for (unsigned n = 5 + random_() % 16; n > 0; --n) {
        const unsigned kind = random_() % 40;
        if (kind == 0) {
          text += "<em>" + Word() + "</em> ";
        } else if (kind == 1) {
          text += "<strong>" + Word() + "</strong>, ";
        } else {
          text += Word() + " ";
        }
      }
      text.back() = '.';
      text += ' ';
    }
    return text;
  }

  bool Chance(unsigned percent) { return random_() % 100 < percent; }

 private:
  std::mt19937 random_{2024};
};

std::string Xhtml(Writer& writer, int number) {
  std::string doc =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" "
      "xmlns:epub=\"http://www.idpf.org/2007/ops\"><head><title>Chapter</title></head>\n<body>\n<h2 id=\"c" +
      std::to_string(number) + "\">Chapter " + std::to_string(number) + "</h2>\n";
  int notes = 0;
  while (doc.size() < kDocumentBytes) {
    doc += "<p>" + writer.Paragraph();
    if (writer.Chance(10)) {
      const std::string note = std::to_string(++notes);
      doc += "<sup><a href=\"#n" + note + "\">" + note + "</a></sup>";
    }
    if (writer.Chance(5)) doc += "<br/>" + writer.Word();
    doc += "</p>\n";
  }
  for (int note = 1; note <= notes; ++note)
    doc += "<aside epub:type=\"footnote\" id=\"n" + std::to_string(note) + "\"><p>Note.</p></aside>\n";
  return doc + "</body>\n</html>\n";
}

struct Epub {
  std::vector<std::string> Documents;  // unpacked, for libxml2 alone
  std::string Bytes;
};

Epub MakeEpub(size_t megabytes) {
  Writer writer;
  Epub epub;
  std::string manifest =
      "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>";
  std::string spine;
  std::string nav;
  std::vector<TZipEntry> entries = {
      {"mimetype", "application/epub+zip", true},
      {"META-INF/container.xml",
       "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
       "<rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>"
       "</rootfiles></container>"}};
  for (int i = 0; epub.Documents.size() * kDocumentBytes < megabytes * kMegabyte; ++i) {
    const std::string name = "c" + std::to_string(i) + ".xhtml";
    epub.Documents.push_back(Xhtml(writer, i));
    entries.emplace_back("OEBPS/" + name, epub.Documents.back());
    manifest += "<item id=\"c" + std::to_string(i) + "\" href=\"" + name +
                "\" media-type=\"application/xhtml+xml\"/>";
    spine += "<itemref idref=\"c" + std::to_string(i) + "\"/>";
    nav +=
        "<li><a href=\"" + name + "#c" + std::to_string(i) + "\">Chapter " + std::to_string(i) + "</a></li>";
  }
  entries.emplace_back(
      "OEBPS/content.opf",
      "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><metadata "
      "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Large</dc:title></metadata><manifest>" +
          manifest + "</manifest><spine>" + spine + "</spine></package>");
  entries.emplace_back(
      "OEBPS/nav.xhtml",
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\"><body>"
      "<nav epub:type=\"toc\"><ol>" +
          nav + "</ol></nav></body></html>");
  epub.Bytes = MakeZip(entries);
  return epub;
}

std::string MakeFb2(size_t megabytes) {
  Writer writer;
  std::string fb2 =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FictionBook "
      "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
      "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info><book-title>Large</book-title>"
      "<lang>ru</lang></title-info></description>\n<body>\n";
  for (int section = 1; fb2.size() < megabytes * kMegabyte; ++section) {
    fb2 += "<section><title><p>Глава " + std::to_string(section) + "</p></title>\n";
    for (size_t start = fb2.size(); fb2.size() - start < kDocumentBytes;) {
      fb2 += "<p>" + writer.Paragraph();
      if (writer.Chance(10)) fb2 += "<a l:href=\"#n1\" type=\"note\">[1]</a>";
      fb2 += "</p>\n";
      if (writer.Chance(3))
        fb2 += "<poem><stanza><v>" + writer.Word() + "</v><v>" + writer.Word() + "</v></stanza></poem>\n";
    }
    fb2 += "</section>\n";
  }
  return fb2 +
         "</body>\n<body name=\"notes\"><section id=\"n1\"><p>Note.</p></section></body>\n</FictionBook>\n";
}

const Epub& CachedEpub(size_t megabytes) {
  static std::map<size_t, Epub> books;
  auto [it, added] = books.try_emplace(megabytes);
  if (added) it->second = MakeEpub(megabytes);
  return it->second;
}

const std::string& CachedFb2(size_t megabytes) {
  static std::map<size_t, std::string> books;
  auto [it, added] = books.try_emplace(megabytes);
  if (added) it->second = MakeFb2(megabytes);
  return it->second;
}

void ParseWithLibxml2(const std::string& document) {
  xmlDocPtr tree =
      xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr, nullptr, XML_PARSE_NONET);
  if (tree == nullptr) std::abort();
  xmlFreeDoc(tree);
}

void SetBytes(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

size_t XhtmlBytes(const Epub& epub) {
  size_t bytes = 0;
  for (const std::string& document : epub.Documents) bytes += document.size();
  return bytes;
}

void BM_ReadEpub(benchmark::State& state) {
  const Epub& epub = CachedEpub(static_cast<size_t>(state.range(0)));
  TBook book;
  for (auto _ : state) {
    std::u16string error;
    if (!ReadEpub(epub.Bytes, book, error)) state.SkipWithError("the book was not read");
  }
  state.counters["lines"] = static_cast<double>(book.Lines.size());
  state.counters["chapters"] = static_cast<double>(book.Chapters.size());
  SetBytes(state, XhtmlBytes(epub));
}

void BM_Libxml2AloneOnXhtml(benchmark::State& state) {
  const Epub& epub = CachedEpub(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& document : epub.Documents) ParseWithLibxml2(document);
  }
  SetBytes(state, XhtmlBytes(epub));
}

// What a reader that builds trees would pay at least: every document unpacked, then parsed.
void BM_UnzipAndLibxml2OnXhtml(benchmark::State& state) {
  const Epub& epub = CachedEpub(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    zip_source_t* source = zip_source_buffer_create(epub.Bytes.data(), epub.Bytes.size(), 0, nullptr);
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY, nullptr);
    std::string document;
    for (size_t i = 0; i < epub.Documents.size(); ++i) {
      const std::string name = "OEBPS/c" + std::to_string(i) + ".xhtml";
      zip_file_t* file = zip_fopen(zip, name.c_str(), 0);
      document.resize(epub.Documents[i].size());
      zip_fread(file, document.data(), document.size());
      zip_fclose(file);
      ParseWithLibxml2(document);
    }
    zip_discard(zip);
  }
  SetBytes(state, XhtmlBytes(epub));
}

void BM_ReadFb2(benchmark::State& state) {
  const std::string& fb2 = CachedFb2(static_cast<size_t>(state.range(0)));
  TBook book;
  for (auto _ : state) {
    std::u16string error;
    if (!ReadFb2(fb2, book, error)) state.SkipWithError("the book was not read");
  }
  state.counters["lines"] = static_cast<double>(book.Lines.size());
  state.counters["chapters"] = static_cast<double>(book.Chapters.size());
  SetBytes(state, fb2.size());
}

void BM_Libxml2AloneOnFb2(benchmark::State& state) {
  const std::string& fb2 = CachedFb2(static_cast<size_t>(state.range(0)));
  for (auto _ : state) ParseWithLibxml2(fb2);
  SetBytes(state, fb2.size());
}

// A package of `metas` metas of EPUB 3: creators, each with its role, file-as and display
// sequence refined, and one chapter.
std::string PackageWithMetas(int metas) {
  std::string metadata =
      "<dc:title id=\"t\">Refined</dc:title><meta refines=\"#t\" property=\"title-type\">main</meta>";
  for (int i = 0; 4 * i < metas; ++i) {
    const std::string id = "c" + std::to_string(i);
    metadata += "<dc:creator id=\"" + id + "\">Author " + std::to_string(i) +
                "</dc:creator><meta refines=\"#" + id + "\" property=\"role\" scheme=\"marc:relators\">" +
                (i % 5 == 0 ? "aut" : "edt") + "</meta><meta refines=\"#" + id + "\" property=\"file-as\">" +
                std::to_string(i) + ", Author</meta><meta refines=\"#" + id + "\" property=\"display-seq\">" +
                std::to_string(i) + "</meta>";
  }
  return "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><metadata "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
         metadata +
         "</metadata><manifest><item id=\"a\" href=\"a.xhtml\" "
         "media-type=\"application/xhtml+xml\"/></manifest>"
         "<spine><itemref idref=\"a\"/></spine></package>";
}

const std::pair<std::string, std::string>& CachedPackageBook(int metas) {
  static std::map<int, std::pair<std::string, std::string>> books;
  auto [it, added] = books.try_emplace(metas);
  if (added) {
    it->second.first = PackageWithMetas(metas);
    it->second.second = MakeZip(
        {{"mimetype", "application/epub+zip", true},
         {"META-INF/container.xml",
          "<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles><rootfile "
          "full-path=\"content.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>"},
         {"content.opf", it->second.first},
         {"a.xhtml", "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>Text.</p></body></html>"}});
  }
  return it->second;
}

void BM_ReadEpubWithManyMetas(benchmark::State& state) {
  const auto& [package, epub] = CachedPackageBook(static_cast<int>(state.range(0)));
  TBook book;
  for (auto _ : state) {
    std::u16string error;
    if (!ReadEpub(epub, book, error)) state.SkipWithError("the book was not read");
  }
  state.counters["authors"] = static_cast<double>(book.Authors.size());
  state.counters["package_kB"] = static_cast<double>(package.size()) / 1024;
}

void BM_Libxml2AloneOnPackage(benchmark::State& state) {
  const std::string& package = CachedPackageBook(static_cast<int>(state.range(0))).first;
  for (auto _ : state) ParseWithLibxml2(package);
}

BENCHMARK(BM_ReadEpubWithManyMetas)->Arg(4000)->Arg(40000)->ArgName("metas")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2AloneOnPackage)->Arg(4000)->Arg(40000)->ArgName("metas")->Unit(benchmark::kMillisecond);

BENCHMARK(BM_ReadEpub)->Arg(10)->Arg(100)->ArgName("MB")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Libxml2AloneOnXhtml)
    ->Arg(10)
    ->Arg(100)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK(BM_UnzipAndLibxml2OnXhtml)
    ->Arg(10)
    ->Arg(100)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK(BM_ReadFb2)->Arg(10)->Arg(100)->ArgName("MB")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Libxml2AloneOnFb2)->Arg(10)->Arg(100)->ArgName("MB")->Unit(benchmark::kMillisecond)->MinTime(2);

// The peak memory of the process while an FB2 of 200 MB is read, above what it held before (the
// file itself): the reader builds no tree, so it is the text and libxml2's copy of the input.
size_t ResidentPeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::stoul(line.substr(6));
  }
  return 0;
}

void BM_PeakMemoryOfFb2(benchmark::State& state) {
  const std::string& fb2 = CachedFb2(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    // Freed memory goes back to the system first, or the read would reuse pages the earlier
    // benchmarks left resident; then writing 5 to clear_refs sets the peak to what is resident.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const size_t before = ResidentPeakKiB();
    TBook book;
    std::u16string error;
    if (!ReadFb2(fb2, book, error)) state.SkipWithError("the book was not read");
    size_t text = 0;
    for (const std::u16string& line : book.Lines) text += line.size() * 2;
    state.counters["file_MiB"] = static_cast<double>(fb2.size()) / kMegabyte;
    state.counters["text_MiB"] = static_cast<double>(text) / kMegabyte;
    state.counters["peak_above_file_MiB"] = static_cast<double>(ResidentPeakKiB() - before) / 1024;
  }
}
BENCHMARK(BM_PeakMemoryOfFb2)->Arg(200)->ArgName("MB")->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace sonacli

int main(int argc, char** argv) {
  // Keep freed memory in the heap, so that every iteration does not touch fresh pages again.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
