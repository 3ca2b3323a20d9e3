#include "book/xml_parser.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "testing/test_support.h"

namespace sonacli {
namespace {

// Writes what it receives as markup of its own: <name ns attr=value>text</>.
class Recorder : public TXmlHandler {
 public:
  explicit Recorder(std::string_view stopAt = {}) : stopAt_(stopAt) {}

  void StartElement(std::string_view name, std::string_view ns,
                    std::span<const TXmlAttribute> attributes) override {
    Events += "<" + std::string(name);
    if (!ns.empty()) Events += " {" + std::string(ns) + "}";
    for (const TXmlAttribute& attribute : attributes) {
      Events += " " + std::string(attribute.Name) + (attribute.Namespace.empty() ? "" : "{ns}") + "=" +
                std::string(attribute.Value);
    }
    Events += ">";
    if (name == stopAt_) Stop();
  }
  void EndElement() override { Events += "</>"; }
  void Text(std::string_view text) override { Events += text; }

  std::string Events;

 private:
  std::string_view stopAt_;
};

TEST(XmlParser, DeliversElementsAttributesAndDecodedText) {
  struct {
    const char* what;
    std::string xml;
    std::string events;
  } const cases[] = {
      {"names, namespaces and attribute values with their references decoded",
       "<a xmlns=\"urn:x\" xmlns:p=\"urn:p\" href=\"b?c=1&amp;d=&#38;&#x41;&lt;\" p:id=\"i\"><b/></a>",
       "<a {urn:x} href=b?c=1&d=&A< id{ns}=i><b {urn:x}></></>"},
      {"text, references, CDATA", "<a>x &amp; &#x42;<![CDATA[<c>]]></a>", "<a>x & B<c></>"},
      {"a declared entity expands, an undeclared one of HTML decodes, another vanishes",
       "<!DOCTYPE a [<!ENTITY e \"<i>in</i>\">]><a>&e;|&mdash;|&nosuch;|&e;</a>",
       "<a><i>in</>|\u2014||<i>in</></>"},
      {"undeclared entities of HTML in attribute values, and in a standalone document",
       "<?xml version=\"1.0\" standalone=\"yes\"?><a t=\"x&mdash;y&nbsp;&amp;&nosuch;z\">&eacute;</a>",
       "<a t=x\u2014y\u00A0&z>\u00E9</>"},
      {"default attributes of the internal subset", "<!DOCTYPE a [<!ATTLIST a k CDATA \"v\">]><a/>",
       "<a k=v></>"},
  };
  for (const auto& c : cases) {
    Recorder recorder;
    std::string error;
    EXPECT_TRUE(ParseXml(c.xml, recorder, error)) << c.what << ": " << error;
    EXPECT_EQ(recorder.Events, c.events) << c.what;
  }
}

TEST(XmlParser, AHandlerThatStopsEndsTheParse) {
  Recorder recorder("b");
  std::string error;
  EXPECT_TRUE(ParseXml("<a>x<b>y</b><c/> and then not well-formed <<<", recorder, error));
  EXPECT_EQ(recorder.Events, "<a>x<b>");
}

std::string Nested(int depth) {
  std::string xml;
  for (int i = 0; i < depth; ++i) xml += "<a>";
  for (int i = 0; i < depth; ++i) xml += "</a>";
  return xml;
}

TEST(XmlParser, KeepsLibxml2OffTheConsoleAndSaysWhatFailedOnOneLine) {
  struct {
    const char* what;
    std::string xml;
    std::string error;
  } const cases[] = {
      {"bytes the declared encoding does not have",
       "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<a>\x98</a>",
       "line 2: the text holds bytes that its declared encoding does not have (bytes 0x98 0x3C 0x2F 0x61)"},
      {"a UTF-16 text cut in a surrogate pair", std::string("\xFF\xFE<\0a\0>\0\0\xD8\0\0<\0/\0a\0>\0", 20),
       "line 1: the text holds bytes that its declared encoding does not have (bytes 0x00 0xD8 0x00 0x00)"},
      {"bytes that are no UTF-8 in a text that declares no encoding: libxml2 says so on two lines",
       "<a>\n\xCA\xED\xE8\xE3</a>",
       "line 2: the text is not UTF-8 and declares no other encoding (bytes 0xCA 0xED 0xE8 0xE3)"},
      {"an encoding nobody knows", "<?xml version=\"1.0\" encoding=\"x-bogus-encoding\"?><a/>",
       "its declared encoding \"x-bogus-encoding\" is not known"},
      {"UTF-16 declared over bytes of one byte a character",
       "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>x</a>",
       "it declares the encoding UTF-16, but its bytes are not in it"},
      {"elements nested deeper than libxml2 allows: its option is not named", Nested(300),
       "line 1: its elements are nested more than 256 deep"},
      {"an entity that refers to itself", "<!DOCTYPE a [<!ENTITY x \"&y;\"><!ENTITY y \"&x;\">]><a>&x;</a>",
       "its entities expand to far more text than it holds (an entity bomb)"},
      {"mismatched tags", "<a><b></a>", "line 1: Opening and ending tag mismatch: b line 1 and a"},
      {"a character XML does not allow, as a reference and as itself", "<a>\n&#1;</a>",
       "line 2: the text holds a character that XML does not allow (code 1)"},
      {"a control character", "<a>x\x02</a>",
       "line 1: the text holds a character that XML does not allow (code 2)"},
      {"an empty document", "", "the document is empty"},
      {"an undeclared entity without a DTD", "<a>&nbsp;</a>", ""},
  };
  testing::ScopedTempDir dir;
  const std::string log = dir.File("stderr.txt");
  for (const auto& c : cases) {
    const int saved = dup(2);
    const int file = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, 2);
    close(file);
    Recorder recorder;
    std::string error;
    const bool parsed = ParseXml(c.xml, recorder, error);
    dup2(saved, 2);
    close(saved);
    EXPECT_EQ(parsed, c.error.empty()) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(testing::ReadFile(log), "") << c.what;
  }
}

TEST(XmlParser, ReadsTagSoupAsHtml) {
  Recorder recorder;
  std::string error;
  EXPECT_TRUE(ParseHtml("<p class=x>One &amp; &eacute;<br>two<P>three</b></div>&nbsp;", recorder, error))
      << error;
  EXPECT_EQ(recorder.Events, "<p class=x>One & \u00E9<br></>two</><p>three\u00A0</>");
}

TEST(XmlParser, SplitsTokenLists) {
  EXPECT_EQ(Tokens(" a\tb\n  c "), (std::vector<std::string_view>{"a", "b", "c"}));
  EXPECT_TRUE(Tokens("  ").empty());
  EXPECT_TRUE(HasToken("cover-image svg", "cover-image"));
  EXPECT_FALSE(HasToken("cover-images", "cover-image"));
}

}  // namespace
}  // namespace sonacli
