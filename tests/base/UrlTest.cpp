#include "base/Text.h"
#include "base/Url.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using Items = std::vector<UrlQueryItem>;
using Strings = std::vector<std::string>;

// The components as "scheme user password host port path query fragment", "~" for absent ones.
std::string describe(const UrlComponents& c) {
  std::string out;
  for (const auto& part : {c.scheme, c.user, c.password, c.host,
                           c.port ? std::optional(std::to_string(*c.port)) : std::nullopt,
                           std::optional(c.path), c.query, c.fragment}) {
    out += (out.empty() ? "" : " ") + part.value_or("~");
  }
  return out;
}

TEST(UrlTest, AddressesSplitIntoTheirComponentsAsWrittenAndComeBackUnchanged) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // userinfo ends at the last "@" and splits at the first ":"; the host keeps case and escapes.
      {"HTTPS://me:s%3A:x@WWW.Ex%41.COM:8443/a%20b?q=1&q=2#top",
       "HTTPS me s%3A:x WWW.Ex%41.COM 8443 /a%20b q=1&q=2 top"},
      {"http://a@b@[fe80::1%25en0]:80", "http a@b ~ fe80::1%25en0 80  ~ ~"},
      {"http://:@h:/p?#", "http   h ~ /p  "},  // an empty port is no port
      {"x://[::1]:00/", "x ~ ~ ::1 0 / ~ ~"},  // the port is written back as it was written
      {"http://h:4294967295", "http ~ ~ h 4294967295  ~ ~"},
      {"file:///home/a.txt", "file ~ ~  ~ /home/a.txt ~ ~"},
      {"mailto:me@x.org?subject=Hi", "mailto ~ ~ ~ ~ me@x.org subject=Hi ~"},
      {"a:", "a ~ ~ ~ ~  ~ ~"},
      // Relative references, never resolved.
      {"foo/bar:baz", "~ ~ ~ ~ ~ foo/bar:baz ~ ~"},
      {"//host/p", "~ ~ ~ host ~ /p ~ ~"},
      {"?q#f?#", "~ ~ ~ ~ ~  q f?#"},
      // Lenient characters and escapes are kept as written.
      {"http://h/{a}|b^`\"<>\\?%26=%3D#%zz", "http ~ ~ h ~ /{a}|b^`\"<>\\ %26=%3D %zz"}};
  for (const auto& [text, parts] : cases) {
    const auto url = Url::parse(text);
    ASSERT_TRUE(url) << text;
    EXPECT_EQ(describe(url->components()), parts) << text;
    EXPECT_EQ(url->absoluteString(), text);
    EXPECT_EQ(url->components().string(), text);
  }
  // Ill-formed text is repaired before it is split.
  const auto url = Url::parse("http://h\xff/a\xe2\x28");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->absoluteString(), "http://h\uFFFD/a\uFFFD(");
  EXPECT_EQ(url->host(), "h\uFFFD");
}

TEST(UrlTest, StructuralErrorsAreRefused) {
  for (std::string_view bad :
       {"", ":x", "1http://h", "ht tp://h", "http://h/a b", "http://h/\t", "http://h/\x7f",
        "http://[::1/", "http://[::1]x/", "http://[v1.x]/", "http://a]b/", "http://a[b/",
        "http://h:8x/", "http://h:-1/", "http://h:4294967296/", "http://[::1]:1:2/"}) {
    EXPECT_FALSE(UrlComponents::parse(bad)) << bad;
    EXPECT_FALSE(Url::parse(bad)) << bad;
  }
  EXPECT_FALSE(Url::parse(std::string_view("http://h/\0", 10)));
}

TEST(UrlTest, PathAndQueryAreDecodedSplitAndRewrittenInTheirEncodedForm) {
  const auto url = Url::parse("http://h/a%20b//c%2Fd/%zz%e2%82%ac%FF/");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->decodedPath(), "/a b//c/d/%zz€\uFFFD/");
  EXPECT_EQ(url->pathComponents(), (Strings{"/", "a b", "c", "d", "%zz€\uFFFD"}));
  EXPECT_EQ(url->lastPathComponent(), "%zz€\uFFFD");
  EXPECT_EQ(Url::parse("rel/x%41")->pathComponents(), (Strings{"rel", "xA"}));
  EXPECT_EQ(Url::parse("http://h/")->lastPathComponent(), "/");
  EXPECT_EQ(Url::parse("http://h")->lastPathComponent(), "");
  EXPECT_EQ(percentDecode("%41%4a%"), "AJ%");
  auto c =
      UrlComponents::parse("https://me:pw@[::1]:0443/p%41?q=a+b%20c&&k&q=2&=v&x==y&#f").value();
  EXPECT_EQ(c.queryItems(),
            (Items{{"q", "a+b%20c"}, {"k", std::nullopt}, {"q", "2"}, {"", "v"}, {"x", "=y"}}));
  // Scrubbing an address: no userinfo or fragment, only some query items.
  c.user.reset();
  c.password.reset();
  c.fragment.reset();
  c.setQueryItems(Items{{"q", "1"}, {"flag", std::nullopt}});
  EXPECT_EQ(c.string(), "https://[::1]:0443/p%41?q=1&flag");  // the port as written while it holds
  c.port = 8080;
  c.setQueryItems(Items{});
  EXPECT_EQ(c.string(), "https://[::1]:8080/p%41");
  EXPECT_TRUE(c.queryItems().empty());
  c.port.reset();
  c.query = "x";
  c.setQueryItems(std::nullopt);
  EXPECT_EQ(c.string(), "https://[::1]/p%41");
}

TEST(UrlTest, RandomAndHugeTextEitherRoundTripsOrIsRefused) {
  const std::vector<std::string> pieces = {
      "http", "https",      "file", ":",  "//",       "/",   "?",  "#", "@", "[",
      "]",    "::1",        "%",    "%2", "%41",      "%zz", "&",  "=", "a", "B.c",
      "080",  "4294967296", "\xc3", "é",  "\xe2\x82", "|",   "\\", "{"};
  test::RandomInput random(20240601);
  int parsed = 0;
  for (int n = 0; n < 4000; ++n) {
    const std::string text = random.text(12, pieces);
    const auto url = Url::parse(text);
    const auto c = UrlComponents::parse(text);
    ASSERT_EQ(url.has_value(), c.has_value()) << text;
    if (!url) continue;
    ++parsed;
    ASSERT_EQ(url->absoluteString(), text::repairUtf8(text));
    ASSERT_EQ(c->string(), url->absoluteString()) << text;
    ASSERT_EQ(UrlComponents::parse(url->absoluteString()), c) << text;
    url->pathComponents();
    url->queryItems();
  }
  EXPECT_GT(parsed, 400);  // the generator must reach the parser, not only its refusals

  const std::string huge = "https://h/" + std::string(100000, 'a') + "?" + std::string(100000, '&');
  ASSERT_TRUE(Url::parse(huge));
  EXPECT_EQ(Url::parse(huge)->components().string(), huge);
  EXPECT_TRUE(Url::parse(huge)->queryItems().empty());
  EXPECT_FALSE(Url::parse("http://" + std::string(100000, '[')));
}

}  // namespace
}  // namespace qb
