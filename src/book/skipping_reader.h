// The one way the readers of book documents leave out the content of an element (a picture, a
// script, a note, the body of notes): the element is refused as it opens, and then nothing inside
// it reaches the reader but the elements themselves, for the ids they carry.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "book/xml_parser.h"

namespace sonacli {

class TSkippingReader : public TXmlHandler {
 public:
  void StartElement(std::string_view name, std::string_view ns,
                    std::span<const TXmlAttribute> attributes) final {
    if (skipDepth_ > 0) {
      ++skipDepth_;
      Skipped(attributes);
    } else if (!Open(name, ns, attributes)) {
      skipDepth_ = 1;
    }
  }

  void EndElement() final {
    if (skipDepth_ == 0) {
      Close();
    } else if (--skipDepth_ == 0) {
      SkipEnded();
    }
  }

  void Text(std::string_view text) final {
    if (skipDepth_ == 0) Content(text);
  }

 protected:
  // An element opens outside any skipped one; false skips it with all it holds.
  virtual bool Open(std::string_view name, std::string_view ns,
                    std::span<const TXmlAttribute> attributes) = 0;
  // An element that Open took ends.
  virtual void Close() = 0;
  // Text outside skipped elements.
  virtual void Content(std::string_view text) = 0;
  // An element inside a skipped one opens.
  virtual void Skipped(std::span<const TXmlAttribute> /*attributes*/) {}
  // The element that Open refused ends.
  virtual void SkipEnded() {}

 private:
  size_t skipDepth_ = 0;
};

}  // namespace sonacli
