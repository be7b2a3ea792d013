// Utf8Text: an ICU UText over UTF-8 bytes, for core/base's own use.
//
// ICU then reports native (byte) offsets and never copies the text into UTF-16. The bytes must be
// valid UTF-8 and outlive the UText.

#pragma once

#include <unicode/utext.h>

#include <cstdint>
#include <string_view>

namespace qb {

class Utf8Text {
public:
  // status is set when ICU cannot open the text; the object is then safe to destroy only.
  Utf8Text(std::string_view valid, UErrorCode& status) {
    utext_openUTF8(&text_, valid.data(), static_cast<int64_t>(valid.size()), &status);
  }
  ~Utf8Text() { utext_close(&text_); }
  Utf8Text(const Utf8Text&) = delete;
  Utf8Text& operator=(const Utf8Text&) = delete;

  UText* get() { return &text_; }

private:
  UText text_ = UTEXT_INITIALIZER;
};

}  // namespace qb
