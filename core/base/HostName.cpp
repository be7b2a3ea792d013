#include "base/HostName.h"

#include <arpa/inet.h>
#include <unicode/uidna.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "base/NoDestructor.h"

namespace qb::HostName {
namespace {

// The ASCII form of a name in any script, by the rules browsers follow; none when it breaks them.
std::optional<std::string> asciiForm(std::string_view text) {
  struct Converter {
    UIDNA* idna = nullptr;
    Converter() {
      UErrorCode status = U_ZERO_ERROR;
      idna = uidna_openUTS46(
          UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ, &status);
      if (U_FAILURE(status)) idna = nullptr;
    }
  };
  static const NoDestructor<Converter> converter;
  if (converter->idna == nullptr) return std::nullopt;
  std::array<char, kMaxNameLength + 2> out{};
  UErrorCode status = U_ZERO_ERROR;
  UIDNAInfo info = UIDNA_INFO_INITIALIZER;
  const int32_t length =
      uidna_nameToASCII_UTF8(converter->idna, text.data(), static_cast<int32_t>(text.size()),
                             out.data(), static_cast<int32_t>(out.size()), &info, &status);
  if (U_FAILURE(status) || info.errors != 0 || length < 0 ||
      static_cast<size_t>(length) >= out.size()) {
    return std::nullopt;
  }
  return std::string(out.data(), static_cast<size_t>(length));
}

bool isAddress(const std::string& text) {
  // The system's parser reads up to the first NUL: "1.2.3.4" NUL "evil.example" would pass whole.
  if (text.find('\0') != std::string::npos) return false;
  in6_addr v6{};
  in_addr v4{};
  if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
    return inet_pton(AF_INET6, text.substr(1, text.size() - 2).c_str(), &v6) == 1;
  }
  return inet_pton(AF_INET, text.c_str(), &v4) == 1 || inet_pton(AF_INET6, text.c_str(), &v6) == 1;
}

Checked refuse(std::string why) { return Checked{std::nullopt, std::move(why)}; }

}  // namespace

Checked check(std::string_view text) {
  if (text.empty()) return refuse("Type a site, such as example.com.");
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (isAddress(lowered)) return Checked{lowered, {}};

  const std::optional<std::string> ascii = asciiForm(lowered);
  if (!ascii) return refuse("\"" + std::string(text) + "\" is not a site's name.");
  std::string name = *ascii;
  if (!name.empty() && name.back() == '.') name.pop_back();  // the root's dot adds nothing
  if (name.empty() || name.size() > kMaxNameLength) {
    return refuse("A site's name has at most " + std::to_string(kMaxNameLength) + " characters.");
  }
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('.', start);
    if (end == std::string::npos) end = name.size();
    const std::string_view label = std::string_view(name).substr(start, end - start);
    if (label.empty() || label.size() > kMaxLabelLength) {
      return refuse("Each part of a site's name between dots has 1 to " +
                    std::to_string(kMaxLabelLength) + " characters.");
    }
    const bool allowed = std::all_of(label.begin(), label.end(), [](unsigned char c) {
      return std::isalnum(c) != 0 || c == '-';
    });
    if (!allowed || label.front() == '-' || label.back() == '-') {
      return refuse("A site's name has only letters, digits, hyphens and dots.");
    }
    start = end + 1;
  }
  return Checked{name, {}};
}

}  // namespace qb::HostName
