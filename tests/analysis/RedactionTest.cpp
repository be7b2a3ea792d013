#include <gtest/gtest.h>

#include "analysis/Redaction.h"

namespace qb {
namespace {

Moment at(std::string_view address, std::string_view bundle = "firefox") {
  return Moment(1, Date(), "Browser", bundle, "Title", Url::parse(address));
}

Moment inApp(std::string_view bundle) { return Moment(1, Date(), "App", bundle, ""); }

TEST(RedactionTest, ChatAndMessagingPrograms) {
  EXPECT_TRUE(Redaction::isChat(inApp("org.signal.Signal")));
  EXPECT_TRUE(Redaction::isChat(inApp("com.hnc.Discord")));
  EXPECT_TRUE(Redaction::isMessaging(inApp("org.signal.Signal")));
  EXPECT_FALSE(Redaction::isChat(inApp("org.mozilla.Thunderbird")));
  EXPECT_TRUE(Redaction::isMessaging(inApp("org.mozilla.Thunderbird")));
  EXPECT_TRUE(Redaction::isMessaging(inApp("com.apple.mail")));
  EXPECT_FALSE(Redaction::isMessaging(inApp("org.gnome.Terminal")));
  // Identifiers match exactly, not by case or prefix.
  EXPECT_FALSE(Redaction::isChat(inApp("com.hnc.discord")));
}

TEST(RedactionTest, SitesMatchAsDomains) {
  EXPECT_TRUE(Redaction::isChat(at("https://web.whatsapp.com/")));
  EXPECT_TRUE(Redaction::isChat(at("https://ptb.discord.com/channels/1")));
  EXPECT_FALSE(Redaction::isChat(at("https://notdiscord.com/")));
  EXPECT_TRUE(Redaction::isMessaging(at("https://MAIL.GOOGLE.COM/mail/u/0")));
  EXPECT_FALSE(Redaction::isChat(at("https://mail.google.com/")));
  EXPECT_TRUE(Redaction::isMessaging(at("https://acme.app.slack.com/client")));
  EXPECT_FALSE(Redaction::isMessaging(at("https://www./")));
  EXPECT_FALSE(Redaction::isMessaging(at("file:///tmp/mail.google.com")));
}

TEST(RedactionTest, ChatPagesMatchAtPathBoundaries) {
  EXPECT_EQ(Redaction::chatPage(at("https://www.instagram.com/direct")), "instagram.com/direct");
  EXPECT_EQ(Redaction::chatPage(at("https://instagram.com/direct/t/55")), "instagram.com/direct");
  EXPECT_EQ(Redaction::chatPage(at("https://instagram.com/directory")), std::nullopt);
  EXPECT_EQ(Redaction::chatPage(at("https://INSTAGRAM.com/direct/")), "instagram.com/direct");
  EXPECT_EQ(Redaction::chatPage(at("https://instagram.com/Direct/")), std::nullopt);
  EXPECT_EQ(Redaction::chatPage(at("https://instagram.com/")), std::nullopt);
  EXPECT_TRUE(Redaction::isChat(at("https://x.com/messages")));
  EXPECT_FALSE(Redaction::isChat(at("https://x.com/home")));
  EXPECT_EQ(Redaction::chatPage(inApp("firefox")), std::nullopt);
}

TEST(RedactionTest, UrlKeepsOnlySearchAndMediaQueryItems) {
  auto scrub = [](std::string_view address) { return Redaction::url(Url::parse(address)); };
  EXPECT_EQ(scrub("https://user:pw@example.com:8443/p/a%20b?Q=cats&utm_source=x&v=42#frag"),
            "https://example.com:8443/p/a%20b?Q=cats&v=42");
  EXPECT_EQ(scrub("https://example.com/path?utm_source=mail&ref=1"), "https://example.com/path");
  EXPECT_EQ(scrub("https://example.com/?search_query=a+b&list=PL1&session=secret"),
            "https://example.com/?search_query=a+b&list=PL1");
  EXPECT_EQ(scrub("https://example.com/x#only-fragment"), "https://example.com/x");
  EXPECT_EQ(scrub("https://EXAMPLE.com/Case"), "https://EXAMPLE.com/Case");
  EXPECT_EQ(Redaction::url(std::nullopt), std::nullopt);
}

}  // namespace
}  // namespace qb
