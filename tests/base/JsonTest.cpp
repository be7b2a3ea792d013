#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "base/Json.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using test::ThrowsDecoding;
using Flat = std::map<double, double>;

TEST(JsonTest, DecodingIsStrictAboutKeysTypesAndRanges) {
  const Json object = json::parse(R"({"flag": true, "n": 128.0, "half": 128.5, "s": "x",
      "neg": -1, "nil": null, "big": 3.4028236e38, "u32": 4294967295, "u33": 4294967296})");
  EXPECT_TRUE(json::require<bool>(object, "flag"));
  EXPECT_EQ(json::require<int>(object, "n"), 128);
  EXPECT_EQ(json::require<uint32_t>(object, "u32"), 4294967295u);
  EXPECT_EQ(json::optional<double>(object, "nil"), std::nullopt);
  EXPECT_EQ(json::optional<double>(object, "missing"), std::nullopt);
  EXPECT_EQ(json::decodeFlat<Flat>(json::parse("[1.5, 10, 1.5, 0.25]"), "d"), (Flat{{1.5, 0.25}}));
  EXPECT_EQ(json::dump(json::encodeFlat(Flat{{1.5, 10}, {86400, 0.25}})),
            "[1.5,10.0,86400.0,0.25]");
  const std::vector<std::pair<std::function<void()>, std::string>> refusals = {
      {[&] { json::require<int>(object, "half"); }, "half: expected an integer"},
      {[&] { json::require<uint64_t>(object, "neg"); }, "neg: number out of range"},
      {[&] { json::require<uint32_t>(object, "u33"); }, "u33: number out of range"},
      {[&] { json::require<float>(object, "big"); }, "big: number out of range"},
      {[&] { json::require<bool>(object, "missing"); }, "missing: key not found"},
      {[&] { json::require<std::string>(object, "flag"); }, "flag: expected a string"},
      {[&] { json::optional<double>(object, "s"); }, "s: expected a number"},
      {[&] { json::requireObject(object, "s"); }, "s: expected an object"},
      {[&] { json::require<int>(Json::array(), "n"); }, "n: expected an object"},
      {[] { json::decode<Date>(Json(std::nan("")), "d"); }, "d: expected a finite number"},
      {[] { json::decode<Uuid>(Json("nope"), "id"); }, "id: invalid UUID string"},
      {[] { json::decodeFlat<Flat>(json::parse("[1, 2, 3]"), "d"); }, "d: expected keys and"},
      {[] { json::decodeFlat<Flat>(json::parse(R"([1, "x"])"), "d"); }, "d: expected a number"},
      {[] { json::decodeFlat<Flat>(json::parse("{}"), "d"); }, "d: expected an array"}};
  for (const auto& [decode, reason] : refusals) EXPECT_THAT(decode, ThrowsDecoding(reason));
}

// An array holding an object, `pairs` times over: 2 * pairs containers deep.
std::string nested(int pairs) {
  std::string text;
  for (int i = 0; i < pairs; ++i) text += R"([{"a":)";
  text += "0";
  for (int i = 0; i < pairs; ++i) text += "}]";
  return text;
}

TEST(JsonTest, ParsingKeepsEveryValueAndRefusesMalformedOrTooDeepText) {
  const std::string text = R"({"a":[1,-2,3.5,"é",true,null,{"b":[]}],"c":{}})";
  EXPECT_EQ(json::dump(json::parse(text)), text);
  EXPECT_NO_THROW(json::parse(nested(json::kMaxDepth / 2)));
  // Depth counts the containers open around a value, not those met before it.
  std::string siblings = "[";
  for (int i = 0; i < json::kMaxDepth; ++i) siblings += "{},[],";
  EXPECT_EQ(json::parse(siblings + "0]").size(), 2u * json::kMaxDepth + 1);
  for (const std::string& deep : {"[" + nested(json::kMaxDepth / 2) + "]", nested(100000)}) {
    EXPECT_THAT([&] { json::parse(deep); }, ThrowsDecoding("$: nesting too deep"));
  }
  for (const char* malformed : {"{", "[1] x", "\xff\xfe"}) {
    EXPECT_THAT([&] { json::parse(malformed); }, ThrowsDecoding("$: [json.exception.parse_error"));
  }
  EXPECT_THAT([] { json::parse("1e999"); }, ThrowsDecoding("$: [json.exception.out_of_range"));
  // Strings that hold ill-formed UTF-8 are still written, repaired.
  EXPECT_EQ(json::dump(Json(std::string("a\xff"))), "\"a\uFFFD\"");
}

TEST(JsonTest, ValuesAreWrittenInTheirSavedForms) {
  // Floats in their shortest form, dates as seconds since 2001, identifiers as upper-case text.
  for (const auto& [value, text] : std::vector<std::pair<float, std::string>>{
           {0.7f, "0.7"}, {0.1f, "0.1"}, {1.0f, "1.0"}, {3.4028235e38f, "3.4028235e+38"}}) {
    EXPECT_EQ(json::dump(Json(json::shortest(value))), text);
    EXPECT_EQ(static_cast<float>(json::shortest(value)), value) << text;
    EXPECT_EQ(json::decode<float>(json::parse(text), "f"), value) << text;
  }
  EXPECT_TRUE(std::isinf(json::shortest(std::numeric_limits<float>::infinity())));
  EXPECT_EQ(json::encode(Date::fromUnix(978307200.5)), Json(0.5));  // 2001-01-01 00:00:00.5 UTC
  EXPECT_EQ(json::decode<Date>(Json(0.5), "d"), Date::fromReference(0.5));
  const Uuid id = Uuid::random();
  EXPECT_EQ(json::decode<Uuid>(json::encode(id), "id"), id);
  EXPECT_EQ(id.string()[14], '4');  // version 4
  EXPECT_EQ(Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")->string(),
            "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  for (const char* bad : {"E621E1F80C36C0495A093FC00C247A3E6E5F",
                          "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC"}) {
    EXPECT_EQ(Uuid::parse(bad), std::nullopt) << bad;
  }
  EXPECT_NE(Uuid::random(), Uuid::random());
}

}  // namespace
}  // namespace qb
