#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/Url.h"

namespace qb {
namespace {

using Items = std::vector<UrlQueryItem>;

UrlComponents split(std::string_view text) {
  auto c = UrlComponents::parse(text);
  EXPECT_TRUE(c) << text;
  return c.value_or(UrlComponents{});
}

// The components as "scheme user password host port path query fragment", "~" for absent ones.
std::string describe(std::string_view text) {
  UrlComponents c = split(text);
  std::string out;
  for (const auto& part : {c.scheme, c.user, c.password, c.host,
                           c.port ? std::optional(std::to_string(*c.port)) : std::nullopt,
                           std::optional(c.path), c.query, c.fragment}) {
    out += (out.empty() ? "" : " ") + part.value_or("~");
  }
  return out;
}

TEST(UrlTest, AddressesSplitIntoTheirComponentsAsWritten) {
  // userinfo ends at the last "@" and splits at the first ":"; the host keeps case and escapes.
  EXPECT_EQ(describe("HTTPS://me:s%3A:x@WWW.Ex%41.COM:8443/a%20b?q=1&q=2#top"),
            "HTTPS me s%3A:x WWW.Ex%41.COM 8443 /a%20b q=1&q=2 top");
  EXPECT_EQ(describe("http://a@b@[fe80::1%25en0]:80"), "http a@b ~ fe80::1%25en0 80  ~ ~");
  EXPECT_EQ(describe("http://@h:/p?#"), "http  ~ h ~ /p  ");  // empty port: no port
  EXPECT_EQ(describe("http://h:4294967295"), "http ~ ~ h 4294967295  ~ ~");
  EXPECT_EQ(describe("file:///home/a.txt"), "file ~ ~  ~ /home/a.txt ~ ~");
  EXPECT_EQ(describe("about:blank"), "about ~ ~ ~ ~ blank ~ ~");
  EXPECT_EQ(describe("mailto:me@x.org?subject=Hi"), "mailto ~ ~ ~ ~ me@x.org subject=Hi ~");
  EXPECT_EQ(describe("data:text/plain;base64,SGk="), "data ~ ~ ~ ~ text/plain;base64,SGk= ~ ~");
  // Relative references, never resolved.
  EXPECT_EQ(describe("foo/bar:baz"), "~ ~ ~ ~ ~ foo/bar:baz ~ ~");
  EXPECT_EQ(describe("//host/p"), "~ ~ ~ host ~ /p ~ ~");
  EXPECT_EQ(describe("?q#f?#"), "~ ~ ~ ~ ~  q f?#");
  // Lenient characters are kept as written; ill-formed text is repaired before it is split.
  EXPECT_EQ(describe("http://h/{a}|b^`\"<>\\?x=%zz#ü"), "http ~ ~ h ~ /{a}|b^`\"<>\\ x=%zz ü");
  auto url = Url::parse("http://h\xff/a\xe2\x28");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->absoluteString(), "http://h\xef\xbf\xbd/a\xef\xbf\xbd(");
  EXPECT_EQ(url->host(), "h\xef\xbf\xbd");
}

TEST(UrlTest, StructuralErrorsAreRefused) {
  const std::vector<std::string_view> refused = {"",
                                                 ":x",
                                                 "1http://h",
                                                 "ht tp://h",
                                                 "http://h/a b",
                                                 "http://h/\t",
                                                 "http://h/\x7f",
                                                 std::string_view("http://h/\0", 10),
                                                 "http://[::1/",
                                                 "http://[::1]x/",
                                                 "http://[v1.x]/",
                                                 "http://a]b/",
                                                 "http://a[b/",
                                                 "http://h:8x/",
                                                 "http://h:-1/",
                                                 "http://h:4294967296/",
                                                 "http://[::1]:1:2/"};
  for (std::string_view bad : refused) {
    EXPECT_FALSE(UrlComponents::parse(bad)) << bad;
    EXPECT_FALSE(Url::parse(bad)) << bad;
  }
}

TEST(UrlTest, PathIsDecodedAndSplitIntoComponents) {
  auto url = Url::parse("http://h/a%20b//c%2Fd/%zz%e2%82%ac%FF/");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->decodedPath(), "/a b//c/d/%zz€\xef\xbf\xbd/");
  EXPECT_EQ(url->pathComponents(),
            (std::vector<std::string>{"/", "a b", "c", "d", "%zz€\xef\xbf\xbd"}));
  EXPECT_EQ(url->lastPathComponent(), "%zz€\xef\xbf\xbd");
  EXPECT_EQ(Url::parse("rel/x")->pathComponents(), (std::vector<std::string>{"rel", "x"}));
  EXPECT_EQ(Url::parse("http://h/")->lastPathComponent(), "/");
  EXPECT_EQ(Url::parse("http://h")->lastPathComponent(), "");
  EXPECT_EQ(percentDecode("%41%4a%"), "AJ%");
}

TEST(UrlTest, QueryItemsKeepTheirEncodingAndChangedComponentsRecompose) {
  auto c = split("https://h/s?q=a+b%20c&&k&q=2&=v&x==y&");
  EXPECT_EQ(c.queryItems(),
            (Items{{"q", "a+b%20c"}, {"k", std::nullopt}, {"q", "2"}, {"", "v"}, {"x", "=y"}}));
  EXPECT_TRUE(split("https://h/").queryItems().empty());

  c.setQueryItems(Items{{"q", "1"}, {"flag", std::nullopt}});
  EXPECT_EQ(c.string(), "https://h/s?q=1&flag");
  c.setQueryItems(Items{});
  EXPECT_EQ(c.string(), "https://h/s");
  c.query = "x";
  c.setQueryItems(std::nullopt);
  EXPECT_EQ(c.query, std::nullopt);

  // The scrubbing that Redaction.url does: no userinfo or fragment, only some query items.
  auto url = Url::parse("https://me:pw@[::1]:0443/p%41?v=x&utm=1#f");
  ASSERT_TRUE(url);
  c = url->components();
  c.user.reset();
  c.password.reset();
  c.fragment.reset();
  auto items = c.queryItems();
  std::erase_if(items, [](const UrlQueryItem& item) { return item.name != "v"; });
  c.setQueryItems(items);
  EXPECT_EQ(c.string(), "https://[::1]:0443/p%41?v=x");
  c.port = 8080;
  EXPECT_EQ(c.string(), "https://[::1]:8080/p%41?v=x");
  c.port.reset();
  EXPECT_EQ(c.string(), "https://[::1]/p%41?v=x");
  EXPECT_EQ(Url::parse("http://h:/")->components().string(), "http://h:/");
}

TEST(UrlTest, ParsedTextsComeBackUnchanged) {
  for (std::string_view text :
       {"http://h", "http://:@h:/", "http://@h", "x://[::1]:0/?#", "file:///", "//", "///x", "?",
        "#", "a", "a:", "a:b:c", "HTTP://H/%7e?%26=%3D#%23", "https://u@h:80/p?q#f#g"}) {
    auto url = Url::parse(text);
    ASSERT_TRUE(url) << text;
    EXPECT_EQ(url->absoluteString(), text);
    EXPECT_EQ(url->components().string(), text);
  }
}

TEST(UrlTest, RandomAndHugeTextEitherRoundTripsOrIsRefused) {
  static const std::vector<std::string> pieces = {"http",       "https",    "file",
                                                  ":",          "//",       "/",
                                                  "?",          "#",        "@",
                                                  "[",          "]",        "::1",
                                                  "%",          "%2",       "%41",
                                                  "%zz",        "&",        "=",
                                                  "a",          "B.c",      "80",
                                                  "4294967296", " ",        "\t",
                                                  "\x7f",       "\xff",     "\xc3",
                                                  "é",          "\xe2\x82", "|",
                                                  "\\",         "{",        std::string(1, '\0'),
                                                  "www.",       "-",        "+"};
  std::mt19937 random(20240601);
  int parsed = 0;
  for (int n = 0; n < 4000; ++n) {
    std::string text;
    int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      if (random() % 4 == 0)
        text += static_cast<char>(random() % 256);
      else
        text += pieces[random() % pieces.size()];
    }
    auto url = Url::parse(text);
    auto c = UrlComponents::parse(text);
    ASSERT_EQ(url.has_value(), c.has_value()) << text;
    if (!url) continue;
    ++parsed;
    ASSERT_EQ(c->string(), url->absoluteString()) << text;
    ASSERT_EQ(UrlComponents::parse(url->absoluteString()), c) << text;
    url->pathComponents();
    url->queryItems();
  }
  EXPECT_GT(parsed, 400);  // the generator must reach the parser, not only its refusals

  std::string text = "https://h/" + std::string(100000, 'a') + "?" + std::string(100000, '&') + "#";
  auto url = Url::parse(text);
  ASSERT_TRUE(url);
  EXPECT_EQ(url->components().string(), text);
  EXPECT_TRUE(url->queryItems().empty());
  EXPECT_FALSE(Url::parse("http://" + std::string(100000, '[')));
}

}  // namespace
}  // namespace qb
