#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>

#include "base/Json.h"

namespace qb {
namespace {

TEST(JsonTest, FloatsAreWrittenInTheirShortestForm) {
  EXPECT_EQ(json::dump(Json(json::shortest(0.7f))), "0.7");
  EXPECT_EQ(json::dump(Json(json::shortest(0.1f))), "0.1");
  EXPECT_EQ(json::dump(Json(json::shortest(1.0f))), "1.0");
  EXPECT_EQ(static_cast<float>(json::shortest(0.7f)), 0.7f);
  // A plain widening would have written 0.699999988079071.
  EXPECT_NE(json::dump(Json(static_cast<double>(0.7f))), "0.7");
  EXPECT_TRUE(std::isinf(json::shortest(std::numeric_limits<float>::infinity())));
}

TEST(JsonTest, DecodingIsStrictAboutKeysAndTypes) {
  Json object =
      json::parse(R"({"flag": true, "n": 128.0, "half": 128.5, "s": "x", "neg": -1, "nil": null})");
  EXPECT_TRUE(json::require<bool>(object, "flag"));
  EXPECT_EQ(json::require<int>(object, "n"), 128);
  EXPECT_EQ(json::require<std::string>(object, "s"), "x");
  EXPECT_THROW(json::require<int>(object, "half"), Error);
  EXPECT_THROW(json::require<uint64_t>(object, "neg"), Error);
  EXPECT_THROW(json::require<bool>(object, "missing"), Error);
  EXPECT_THROW(json::require<std::string>(object, "flag"), Error);
  EXPECT_THROW(json::require<double>(object, "s"), Error);
  EXPECT_EQ(json::optional<double>(object, "nil"), std::nullopt);
  EXPECT_EQ(json::optional<double>(object, "missing"), std::nullopt);
  EXPECT_THROW(json::optional<double>(object, "s"), Error);
  EXPECT_THROW(json::require<int>(Json::array(), "n"), Error);
  try {
    json::require<int>(object, "missing");
  } catch (const Error& e) {
    EXPECT_EQ(e.domain(), Error::kDecodingDomain);
  }
}

TEST(JsonTest, HostileTextIsRefusedWithAnError) {
  EXPECT_THROW(json::parse("{"), Error);
  EXPECT_THROW(json::parse("\xff\xfe"), Error);
  EXPECT_THROW(json::parse(std::string(100000, '[')), Error);
  EXPECT_NO_THROW(json::parse(std::string(100, '[') + std::string(100, ']')));
  // Strings that hold ill-formed UTF-8 are still written, repaired.
  EXPECT_EQ(json::dump(Json(std::string("a\xff"))), "\"a\xef\xbf\xbd\"");
}

TEST(JsonTest, DatesAndIdentifiersRoundTrip) {
  Date date = Date::fromUnix(1700000000.25);
  EXPECT_EQ(json::decode<Date>(json::encode(date), "d"), date);
  EXPECT_DOUBLE_EQ(date.sinceReferenceDate, 1700000000.25 - 978307200.0);

  Uuid id = Uuid::random();
  EXPECT_EQ(json::decode<Uuid>(json::encode(id), "id"), id);
  EXPECT_EQ(id.string().size(), 36u);
  EXPECT_EQ(id.string()[14], '4');
  EXPECT_EQ(Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")->string(),
            "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(Uuid::parse("E621E1F8C36C-495A-93FC-0C247A3E6E5F0"), std::nullopt);
  EXPECT_EQ(Uuid::parse("G621E1F8-C36C-495A-93FC-0C247A3E6E5F"), std::nullopt);
  EXPECT_THROW(json::decode<Uuid>(Json("nope"), "id"), Error);

  std::set<Uuid> many;
  for (int i = 0; i < 1000; ++i) many.insert(Uuid::random());
  EXPECT_EQ(many.size(), 1000u);
}

}  // namespace
}  // namespace qb

namespace qb {
namespace {

TEST(JsonTest, NumberKeyedMapsAreFlatArrays) {
  std::map<double, double> days = {{1.5, 10}, {86400, 0.25}};
  Json flat = json::encodeFlat(days);
  EXPECT_EQ(json::dump(flat), "[1.5,10.0,86400.0,0.25]");
  EXPECT_EQ((json::decodeFlat<std::map<double, double>>(flat, "days")), days);
  EXPECT_THROW((json::decodeFlat<std::map<double, double>>(json::parse("[1, 2, 3]"), "d")), Error);
  EXPECT_THROW((json::decodeFlat<std::map<double, double>>(json::parse("[1, \"x\"]"), "d")), Error);
  EXPECT_THROW((json::decodeFlat<std::map<double, double>>(json::parse("{}"), "d")), Error);
  EXPECT_TRUE((json::decodeFlat<std::map<double, double>>(json::parse("[]"), "d")).empty());
}

}  // namespace
}  // namespace qb
