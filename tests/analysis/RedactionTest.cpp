#include <gtest/gtest.h>

#include "analysis/Redaction.h"

namespace qb {
namespace {

Moment at(std::string_view address) {
  return Moment(1, Date(), "B", "firefox", "T", Url::parse(address));
}
Moment inApp(std::string_view bundle) { return Moment(1, Date(), "App", bundle, ""); }

TEST(RedactionTest, ChatAndMessagingProgramsAndSites) {
  // Identifiers match exactly, not by case or prefix; sites match as domains.
  // clang-format off
  const std::vector<std::tuple<Moment, bool, bool>> cases = {
      {inApp("org.signal.Signal"), true, true},         {inApp("com.hnc.Discord"), true, true},
      {inApp("org.mozilla.Thunderbird"), false, true},  {inApp("com.apple.mail"), false, true},
      {inApp("org.gnome.Terminal"), false, false},      {inApp("com.hnc.discord"), false, false},
      {at("https://web.whatsapp.com/"), true, true}, {at("https://ptb.discord.com/1"), true, true},
      {at("https://notdiscord.com/"), false, false}, {at("https://MAIL.GOOGLE.COM/"), false, true},
      {at("https://a.app.slack.com/client"), false, true}, {at("https://www./"), false, false},
      {at("file:///tmp/mail.google.com"), false, false}, {at("https://x.com/messages"), true, true},
      {at("https://x.com/home"), false, false}};
  // clang-format on
  for (const auto& [moment, chat, messaging] : cases) {
    EXPECT_EQ(Redaction::isChat(moment), chat) << moment.key();
    EXPECT_EQ(Redaction::isMessaging(moment), messaging) << moment.key();
  }
}

TEST(RedactionTest, ChatPagesMatchAtPathBoundaries) {
  const std::string direct = "instagram.com/direct";
  // clang-format off
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"https://www.instagram.com/direct", direct}, {"https://instagram.com/direct/t/55", direct},
      {"https://INSTAGRAM.com/direct/", direct}, {"https://instagram.com/directory", std::nullopt},
      {"https://instagram.com/Direct/", std::nullopt}, {"https://instagram.com/", std::nullopt}};
  // clang-format on
  for (const auto& [address, page] : cases) {
    EXPECT_EQ(Redaction::chatPage(at(address)), page) << address;
  }
  EXPECT_EQ(Redaction::chatPage(inApp("firefox")), std::nullopt);
}

TEST(RedactionTest, UrlKeepsOnlySearchAndMediaQueryItems) {
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"https://u:pw@example.com:8443/p/a%20b?Q=cats&utm_source=x&v=42#frag",
       "https://example.com:8443/p/a%20b?Q=cats&v=42"},
      {"https://example.com/path?utm_source=mail&ref=1", "https://example.com/path"},
      {"https://example.com/?search_query=a+b&list=PL1&session=secret",
       "https://example.com/?search_query=a+b&list=PL1"},
      {"https://example.com/x#only-fragment", "https://example.com/x"},
      {"https://EXAMPLE.com/Case", "https://EXAMPLE.com/Case"}};
  // clang-format on
  for (const auto& [address, stored] : cases) {
    EXPECT_EQ(Redaction::url(Url::parse(address)), stored) << address;
  }
  EXPECT_EQ(Redaction::url(std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace qb
