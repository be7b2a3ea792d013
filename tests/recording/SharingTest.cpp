#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Json.h"
#include "recording/Sharing.h"
#include "support/TestSupport.h"

namespace qb::test {
namespace {

using Sharing::Row;

// 2024-05-17 14:59:59 UTC, a Friday.
constexpr double kFridayAfternoon = 1715957999;

// A recorded row from a JSON object, values as SQLite holds them, with the columns of its session
// that the share query adds (unless given).
Row rowOf(const Json& columns, double sessionStarted = 1000) {
  Row row;
  for (const auto& [column, v] : columns.items()) {
    row.emplace(column, v.is_string()           ? SqlValue(v.get<std::string>())
                        : v.is_number_integer() ? SqlValue(v.get<int64_t>())
                        : v.is_number()         ? SqlValue(v.get<double>())
                                                : SqlValue());
  }
  row.insert({{"seq", int64_t{4}}, {"session_uid", "S-1"}, {"session_started", sessionStarted}});
  return row;
}
Row rowOf(const char* columns) { return rowOf(json::parse(columns)); }

// A moment of 12.25 s that started a minute into its session, on kFridayAfternoon.
Row momentRow(const char* extra) {
  Json row = json::parse(R"({"id":9,"started":1715957999.0,"ended":1715958011.25,"excluded":0,
      "app":"Browser","bundle_id":"firefox","title":"Anna's budget","page_text":"secret"})");
  row.update(json::parse(extra));
  return rowOf(row, kFridayAfternoon - 60);
}

TEST(SharingInstallTest, IsTheKeyedHashOfTheMachineID) {
  // Golden values: the first 16 bytes of the digest that, for each id below, this gives:
  //   printf '%s' ID | openssl dgst -sha256 -hmac "Larkspur pinwheels"
  EXPECT_EQ(Sharing::install("0123456789abcdef0123456789abcdef"),
            "4b82d5b4-9736-9056-24af-b23a4e29206c");
  EXPECT_EQ(Sharing::install("0123456789ABCDEF0123456789ABCDEF"),
            "1b3cb96a-63b3-e06c-a361-797fca180229");
}

TEST(SharingScrubTest, EachPatternAndNameAtItsBoundaries) {
  const std::vector<std::tuple<const char*, const char*, std::vector<std::string>>> cases = {
      {"Mail jane.doe@example.com, bo@mail.example.org", "Mail <email>, <email>", {}},
      {"See https://example.org/a?b=1 and www.test.io/x", "See <url> and <url>", {}},
      {"ping @al, @b, x@yz and @@abc", "ping <handle>, @b, x@yz and @@abc", {}},
      // Phone-like: 9 to 15 digits; 8 (a date) and 16 (a card) only when unbroken, as 5 or more.
      {"Call +1 (555) 123-4567, 123-456-789, 12-345-678 on 2024-05-17",
       "Call <number>, <number>, 12-345-678 on 2024-05-17",
       {}},
      {"123 456 789 012 345, 1234 5678 9012 3456", "<number>, 1234 5678 9012 3456", {}},
      {"Card 1234567890123456, zip 12345, code 1234", "Card <number>, zip <number>, code 1234", {}},
      // A name that ends in a mark is still one; the marks in a name are not pattern syntax.
      {"Smith Jr. wrote to ANN, not Annabel",
       "<name> wrote to <name>, not Annabel",
       {"Smith Jr.", "Ann"}},
      {"JoxAnn met Jo.Ann in (c++)", "JoxAnn met <name> in (<name>)", {"Jo.Ann", "c++"}},
  };
  for (const auto& [text, expected, names] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Sharing::scrub(text, names), expected);
  }
  // The whole name goes before its words; short and repeated tokens are dropped.
  EXPECT_THAT(Sharing::names("Anna de Longname", "anna"),
              ::testing::ElementsAre("Anna de Longname", "Longname", "Anna"));
}

TEST(SharingRowsTest, EachTableSharesItsKeysWithTimesAfterTheSessionStartToATenth) {
  // Each case: a table, a row, how many keys its shared object has (0: withheld), some of them.
  const std::vector<std::tuple<std::string_view, Row, size_t, const char*>> cases = {
      {"sessions",
       rowOf(R"({"uid":"S-1","started":1715957999.0,"os":"L","model":"secret","policy":"not json",
           "analyzer":"{\"headAbstain\":0.5}"})"),
       8, R"({"session":"S-1","started":"2024-05-17T14:00:00Z","os":"L","policy":null,"mac":null,
           "analyzer":{"headAbstain":0.5}})"},
      {"decisions", rowOf(R"({"at":1012.24,"cooldowns":"{\"g\":30}","in_front":0,"why":"secret"})"),
       12, R"({"session":"S-1","seq":4,"at":12.2,"cooldowns":{"g":30},"in_front":false})"},
      {"switches", rowOf(R"({"at":1012.25,"site":"mail.example/anna","work":"[\"secret\"]"})"), 11,
       R"({"at":12.3,"site":"mail.example/<name>"})"},
      {"contexts", rowOf(R"({"at":999.75,"titles":"[\"secret\",\"b\"]"})"), 5,
       R"({"at":-0.3,"titles":2})"},
      {"contexts", rowOf(R"({"titles":"[]"})"), 5, R"({"titles":0,"at":null})"},
      {"prompts", rowOf(R"({"shown_at":1005.0,"title":"secret","followed_by":"[\"d.example\"]"})"),
       10, R"({"shown":5.0,"followed_by":["d.example"]})"},
      {"labels", rowOf(R"({"source":"prompt","labelled_at":1006.0,"rationale":"secret"})"), 10,
       R"({"labelled":6.0,"source":"prompt"})"},
      {"system", rowOf(R"({"event":"sleep","detail":"secret"})"), 6, R"({"detail":null})"},
      {"system", rowOf(R"({"event":"away","detail":"lock"})"), 6, R"({"detail":"lock"})"},
      {"retractions", rowOf(R"({"answer":"A-1","session_uid":null})"), 2,
       R"({"answer":"A-1","session":null})"},
      // Moments: 31 observation keys besides session, seq and six of their own; Berlin is two
      // hours ahead in May; weekdays count from Sunday.
      {"moments", momentRow("{}"), 39,
       R"({"moment":9,"start":60.0,"duration":12.3,"hour":16,"weekday":6,"excluded":false,
           "title":"<name>'s budget","messaging":false,"app":"Browser","url_depth":null})"},
      {"moments", momentRow(R"({"url":"https://example.org/Anna/abcdefghijklmnopqrs/abcd1?v&l"})"),
       39, R"({"url_depth":3,"segment":"<name>","url_keys":["l","v"],"url_id":false})"},
      {"moments", momentRow(R"({"url":"https://example.org"})"), 39,
       R"({"url_depth":0,"segment":null,"url_keys":[],"url_id":false})"},
      {"moments", momentRow(R"({"url":"https://example.org/abcdefghijklmnopqrst"})"), 39,
       R"({"url_id":true})"},
      {"moments", momentRow(R"({"url":"https://example.org/x/abcde1"})"), 39, R"({"url_id":true})"},
      {"moments", momentRow(R"({"url":"https://discord.com/channels/1"})"), 39,
       R"({"messaging":true,"title":null})"},
      {"moments",
       momentRow(R"({"full_screen":1,"media":0,"ticks":"[[30,1]]","window_share":"0.5"})"), 39,
       R"({"full_screen":true,"media":false,"ticks":[[30,1]],"window_share":0.5})"},
      {"moments", momentRow(R"({"head":"[0.75]","head_task":"work"})"), 39,
       R"({"p_work":null,"lean":null})"},
      // Withheld: rows that lack what their table needs, agents' labels, unshared tables.
      {"sessions", rowOf(R"({"started":1.0})"), 0, "{}"},
      {"system", rowOf(R"({"session_uid":null})"), 0, "{}"},
      {"moments", momentRow(R"({"started":null})"), 0, "{}"},
      {"labels", rowOf(R"({"source":"agent","label":"work"})"), 0, "{}"},
      {"retractions", rowOf(R"({"at":1.0})"), 0, "{}"},
      {"model_runs", rowOf(R"({"pass":"head"})"), 0, "{}"},
  };
  for (const auto& [table, row, keys, some] : cases) {
    SCOPED_TRACE(some);
    const std::optional<Json> out =
        Sharing::fields(table, row, {"Anna"}, Calendar::inZone("Europe/Berlin"));
    EXPECT_EQ(out ? out->size() : 0, keys);
    if (!out) continue;
    EXPECT_EQ(json::dump(*out).find("secret"), std::string::npos);
    const Json expected = json::parse(some);
    for (const auto& [key, value] : expected.items()) {
      EXPECT_EQ(out->value(key, Json("absent")), value) << key;
    }
  }
  // An excluded moment keeps only its times: its 31 observation keys are null.
  const Json excluded = *Sharing::fields("moments", momentRow(R"({"excluded":1,"keys":3})"), {},
                                         Calendar::inZone("UTC"));
  EXPECT_EQ(excluded.size(), 39u);
  EXPECT_EQ(std::count(excluded.begin(), excluded.end(), nullptr), 31);
  EXPECT_EQ(excluded["duration"], 12.3);
  EXPECT_EQ(Sharing::body({json::parse(R"({"b":"a/b","a":null})")}), R"([{"a":null,"b":"a/b"}])");
}

}  // namespace
}  // namespace qb::test
