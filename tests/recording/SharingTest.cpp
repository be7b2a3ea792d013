#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
constexpr double kSessionStart = 1000;

Json shared(std::string_view table, Row row, const std::vector<std::string>& names = {}) {
  std::optional<Json> out = Sharing::fields(table, row, names, Calendar::inZone("Europe/Berlin"));
  return out ? *out : Json("withheld");
}

// A row of a session's table, as the share query reads it.
Row ofSession(Row row) {
  row.emplace("seq", int64_t{4});
  row.emplace("session_uid", "S-1");
  row.emplace("session_started", kSessionStart);
  return row;
}

TEST(SharingScrubTest, EachPatternReplacesWhatItNamesAndLeavesTheRest) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"Mail jane.doe@example.com now", "Mail <email> now"},
      {"See https://example.org/a?b=1 and www.test.io/x", "See <url> and <url>"},
      {"ping @al, @b, x@yz and @@abc", "ping <handle>, @b, x@yz and @@abc"},
      {"Call +1 (555) 123-4567 today", "Call <number> today"},
      {"nine 123-456-789 eight 12-345-678", "nine <number> eight 12-345-678"},
      {"fifteen 123 456 789 012 345", "fifteen <number>"},
      {"Due 2024-05-17", "Due 2024-05-17"},
      {"Card 1234 5678 9012 3456", "Card 1234 5678 9012 3456"},
      {"Card 1234567890123456", "Card <number>"},
      {"Zip 12345, year 2024, code 1234", "Zip <number>, year 2024, code 1234"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Sharing::scrub(c.text, {}), c.expected);
  }
}

TEST(SharingScrubTest, NamesAreReplacedWhereNoWordCharacterTouchesThem) {
  struct Case {
    const char* text;
    std::vector<std::string> names;
    const char* expected;
  };
  const std::vector<Case> cases = {
      // A token ending in a mark: a word boundary after the "." would never match here.
      {"Smith Jr. wrote to ann", {"Smith Jr.", "Ann"}, "<name> wrote to <name>"},
      {"Annabel and ANN.", {"Ann"}, "Annabel and <name>."},
      {"JoxAnn met Jo.Ann", {"Jo.Ann"}, "JoxAnn met <name>"},
      {"(c++) team", {"c++"}, "(<name>) team"},
      {"Hello, Ann", {}, "Hello, Ann"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Sharing::scrub(c.text, c.names), c.expected);
  }
}

TEST(SharingScrubTest, AnAddressIsAnEmailNotAHandle) {
  EXPECT_EQ(Sharing::scrub("to bo@mail.example.org", {}), "to <email>");
}

TEST(SharingNamesTest, LongestFirstWithoutShortOrRepeatedTokens) {
  EXPECT_THAT(Sharing::names("Anna de Longname", "anna"),
              ::testing::ElementsAre("Anna de Longname", "Longname", "Anna"));
  EXPECT_THAT(Sharing::names("", "ab"), ::testing::IsEmpty());
  EXPECT_THAT(Sharing::names("  Bo  Eve ", "eve"), ::testing::ElementsAre("  Bo  Eve ", "Eve"));
}

TEST(SharingInstallTest, IsTheKeyedHashOfTheIdAsGiven) {
  // Golden values from the command line:
  //   printf '%s' 0123456789abcdef0123456789abcdef | openssl dgst -sha256 -hmac "Larkspur
  //   pinwheels" = 4b82d5b49736905624afb23a4e29206c5bd90a9fd8927c8bd2c186477b1cf684 printf '%s'
  //   0123456789ABCDEF0123456789ABCDEF | openssl dgst -sha256 -hmac "Larkspur pinwheels" =
  //   1b3cb96a63b3e06ca361797fca1802299ee80d6788a1d831dd12611f016e796a
  EXPECT_EQ(Sharing::install("0123456789abcdef0123456789abcdef"),
            "4b82d5b4-9736-9056-24af-b23a4e29206c");
  EXPECT_EQ(Sharing::install("0123456789ABCDEF0123456789ABCDEF"),
            "1b3cb96a-63b3-e06c-a361-797fca180229");
}

TEST(SharingInstallTest, MachineIDIsTheFileWithoutItsLineEnd) {
  TempDir dir;
  struct Case {
    const char* contents;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"0123456789abcdef0123456789abcdef\n", "0123456789abcdef0123456789abcdef"},
      {"0123456789ABCDEF0123456789abcdef", "0123456789ABCDEF0123456789abcdef"},
      {"0123456789abcdef0123456789abcdef\n\n", std::nullopt},
      {"0123456789abcdef0123456789abcde\n", std::nullopt},
      {"0123456789abcdef0123456789abcdef0\n", std::nullopt},
      {"0123456789abcdef0123456789abcdeg\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    writeFile(dir.path() / "machine-id", c.contents);
    EXPECT_EQ(Sharing::machineID(dir.path() / "machine-id"), c.expected);
  }
  EXPECT_EQ(Sharing::machineID(dir.path() / "missing"), std::nullopt);
  // The line end is not part of the id: the identifier is the one of the bare digits.
  writeFile(dir.path() / "machine-id", "0123456789abcdef0123456789abcdef\n");
  EXPECT_EQ(Sharing::install(*Sharing::machineID(dir.path() / "machine-id")),
            "4b82d5b4-9736-9056-24af-b23a4e29206c");
}

TEST(SharingRowsTest, TimesAreSecondsAfterTheSessionStartToATenth) {
  struct Case {
    double at;
    double expected;
  };
  for (const Case& c : std::vector<Case>{{1012.25, 12.3}, {1012.24, 12.2}, {999.75, -0.3}}) {
    SCOPED_TRACE(c.at);
    EXPECT_EQ(shared("system", ofSession({{"at", c.at}, {"event", "sleep"}}))["at"], c.expected);
  }
  Row withoutStart = ofSession({{"at", 12.25}, {"event", "sleep"}});
  withoutStart.erase("session_started");
  EXPECT_EQ(shared("system", withoutStart)["at"], 12.3);
  EXPECT_EQ(shared("system", ofSession({{"at", int64_t{12}}, {"event", "sleep"}}))["at"], nullptr);
}

TEST(SharingRowsTest, ASessionIsItsUidAndItsStartHour) {
  const Row row = {
      {"id", int64_t{7}},          {"uid", "S-1"},     {"started", kFridayAfternoon},
      {"app_version", "1.2"},      {"model", "r1"},    {"analyzer", "{\"headAbstain\":0.5}"},
      {"policy", "not json"},      {"os", "Linux"},    {"mac", SqlValue()},
      {"observation", int64_t{1}}, {"seq", int64_t{7}}};
  std::optional<Json> out =
      Sharing::row("sessions", row, "I-1", {}, Calendar::inZone("Europe/Berlin"));
  ASSERT_TRUE(out);
  EXPECT_EQ(*out, json::parse(R"({"session":"S-1","started":"2024-05-17T14:00:00Z",
      "app_version":"1.2","observation":1,"analyzer":{"headAbstain":0.5},"policy":null,
      "os":"Linux","mac":null,"install":"I-1"})"));
  Row withoutUid = row;
  withoutUid.erase("uid");
  EXPECT_EQ(shared("sessions", withoutUid), "withheld");
}

TEST(SharingRowsTest, RowsWithoutWhatTheirTableNeedsAreWithheld) {
  Row noSession = ofSession({{"at", 1001.0}, {"event", "sleep"}});
  noSession.erase("session_uid");
  struct Case {
    const char* name;
    std::string_view table;
    Row row;
  };
  const std::vector<Case> cases = {
      {"a row whose session has no uid", "system", noSession},
      {"an empty row", "decisions", {}},
      {"a table that is not shared", "model_runs", ofSession({{"pass", "head"}})},
      {"a moment without a start", "moments", ofSession({{"id", int64_t{1}}})},
      {"a label an agent made", "labels", ofSession({{"source", "agent"}, {"label", "work"}})},
      {"a retraction without an answer", "retractions", ofSession({{"at", 1.0}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(shared(c.table, c.row), "withheld");
  }
  EXPECT_EQ(shared("retractions", {{"answer", "A-1"}, {"at", 5.0}}),
            json::parse(R"({"answer":"A-1","session":null})"));
}

TEST(SharingRowsTest, EachTableSharesItsOwnKeys) {
  struct Case {
    std::string_view table;
    Row row;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"decisions",
       ofSession({{"moment", int64_t{3}},
                  {"at", 1002.0},
                  {"mode", "protecting"},
                  {"learned", 60.0},
                  {"terms", "[\"x\"]"},
                  {"cooldowns", "{\"global\":30}"},
                  {"in_front", int64_t{0}},
                  {"decision", "none"},
                  {"reason", "why"}}),
       R"({"session":"S-1","seq":4,"moment":3,"mode":"protecting","learned":60.0,"drift":null,
           "activity":null,"score":null,"decision":"none","at":2.0,"cooldowns":{"global":30},
           "in_front":false})"},
      {"switches",
       ofSession({{"at", 1003.0},
                  {"site", "mail.example/anna"},
                  {"verdict", "project"},
                  {"work", "[\"Budget\"]"}}),
       R"({"session":"S-1","seq":4,"moment":null,"similarity":null,"activity":null,"score":null,
           "site_weight":null,"reading":null,"verdict":"project","at":3.0,
           "site":"mail.example/<name>"})"},
      {"contexts",
       ofSession({{"at", 1004.0}, {"event", "formed"}, {"titles", "[\"a\",\"b\",\"c\"]"}}),
       R"({"session":"S-1","seq":4,"at":4.0,"event":"formed","titles":3})"},
      {"contexts", ofSession({{"at", 1004.0}, {"event", "formed"}, {"titles", "[]"}}),
       R"({"session":"S-1","seq":4,"at":4.0,"event":"formed","titles":0})"},
      {"contexts", ofSession({{"at", 1004.0}, {"event", "formed"}}),
       R"({"session":"S-1","seq":4,"at":4.0,"event":"formed","titles":null})"},
      {"prompts",
       ofSession({{"id", "P"},
                  {"shown_at", 1005.0},
                  {"outcome", "back"},
                  {"title", "Budget?"},
                  {"followed_by", "[\"docs.example\"]"}}),
       R"({"session":"S-1","seq":4,"id":"P","moment":null,"driver":null,"outcome":"back",
           "shown":5.0,"drift_start":null,"outcome_at":null,"followed_by":["docs.example"]})"},
      {"labels",
       ofSession(
           {{"source", "prompt"}, {"label", "work"}, {"labelled_at", 1006.0}, {"rationale", "x"}}),
       R"({"session":"S-1","seq":4,"moment":null,"label":"work","source":"prompt","prompt":null,
           "answer":null,"started":null,"ended":null,"labelled":6.0})"},
      {"system", ofSession({{"at", 1007.0}, {"event", "sleep"}, {"detail", "lid"}}),
       R"({"session":"S-1","seq":4,"moment":null,"at":7.0,"event":"sleep","detail":null})"},
      {"system", ofSession({{"at", 1007.0}, {"event", "away"}, {"detail", "lock"}}),
       R"({"session":"S-1","seq":4,"moment":null,"at":7.0,"event":"away","detail":"lock"})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(shared(c.table, c.row, {"Anna"}), json::parse(c.expected));
  }
}

Row momentRow(Row extra) {
  Row row = ofSession({{"id", int64_t{9}},
                       {"started", kFridayAfternoon},
                       {"ended", kFridayAfternoon + 12.25},
                       {"excluded", int64_t{0}},
                       {"app", "Browser"},
                       {"bundle_id", "firefox"},
                       {"title", "Anna's budget"},
                       {"page_text", "secret"}});
  row.insert_or_assign("session_started", kFridayAfternoon - 60);
  for (auto& [column, value] : extra) row.insert_or_assign(column, value);
  return row;
}

TEST(SharingMomentsTest, AnExcludedMomentKeepsOnlyItsTimes) {
  const Json out =
      shared("moments", momentRow({{"excluded", int64_t{1}}, {"url", "https://a.b/c"}}));
  ASSERT_EQ(out.size(), 39u);  // session, seq, six of the moment and the 31 observation keys
  EXPECT_EQ(out["start"], 60.0);
  EXPECT_EQ(out["duration"], 12.3);
  EXPECT_EQ(out["hour"], 16);    // Berlin is two hours ahead in May
  EXPECT_EQ(out["weekday"], 6);  // Friday, counting from Sunday
  EXPECT_EQ(out["excluded"], true);
  size_t nulls = 0;
  for (const auto& item : out.items()) nulls += item.value().is_null() ? 1 : 0;
  EXPECT_EQ(nulls, 31u);
}

TEST(SharingMomentsTest, TheAddressGivesItsShapeNotItself) {
  struct Case {
    const char* url;  // nullptr: no address
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"https://example.org/Anna/b/c?v=1&list=2",
       R"({"url_depth":3,"segment":"<name>","url_keys":["list","v"],"url_id":false})"},
      {"https://example.org", R"({"url_depth":0,"segment":null,"url_keys":[],"url_id":false})"},
      {nullptr, R"({"url_depth":null,"segment":null,"url_keys":null,"url_id":null})"},
      {"https://example.org/abcdefghijklmnopqrs", R"({"url_id":false})"},  // 19 letters
      {"https://example.org/abcdefghijklmnopqrst", R"({"url_id":true})"},  // 20 letters
      {"https://example.org/x/abcd1", R"({"url_id":false})"},              // 5 with a digit
      {"https://example.org/x/abcde1", R"({"url_id":true})"},              // 6 with a digit
      {"https://example.org/ab/1234", R"({"url_id":false})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url ? c.url : "no address");
    const Json out =
        shared("moments", c.url ? momentRow({{"url", c.url}}) : momentRow({}), {"Anna"});
    const Json expected = json::parse(c.expected);
    for (const auto& item : expected.items()) {
      EXPECT_EQ(out[item.key()], item.value()) << item.key();
    }
  }
}

TEST(SharingMomentsTest, ObservationKeysComeFromTheRowAndItsLatestPasses) {
  const Json out = shared("moments",
                          momentRow({{"full_screen", int64_t{1}},
                                     {"media", int64_t{0}},
                                     {"ticks", "[[30,1,2,3,4]]"},
                                     {"window_share", "0.5"},
                                     {"head", "{\"work\":0.75,\"general\":0.25}"},
                                     {"head_task", "work: Budget"},
                                     {"revision", "r3"},
                                     {"similarity", "{\"similarity\":0.5}"},
                                     {"keys", int64_t{12}}}),
                          {"Anna"});
  EXPECT_EQ(out["title"], "<name>'s budget");
  EXPECT_EQ(out["messaging"], false);
  EXPECT_EQ(out["full_screen"], true);
  EXPECT_EQ(out["media"], false);
  EXPECT_EQ(out["agent_repository"], nullptr);
  EXPECT_EQ(out["ticks"], json::parse("[[30,1,2,3,4]]"));
  EXPECT_EQ(out["window_share"], 0.5);
  EXPECT_EQ(out["p_work"], 0.75);
  EXPECT_EQ(out["p_general"], 0.25);
  EXPECT_EQ(out["lean"], "work");
  EXPECT_EQ(out["revision"], "r3");
  EXPECT_EQ(out["similarity"], 0.5);
  EXPECT_EQ(out["keys"], 12);
  EXPECT_FALSE(out.contains("page_text"));
  EXPECT_FALSE(out.contains("url"));

  const Json odd = shared("moments", momentRow({{"head", "[0.75]"}, {"head_task", "work"}}));
  EXPECT_EQ(odd["p_work"], nullptr);
  EXPECT_EQ(odd["p_general"], nullptr);
  EXPECT_EQ(odd["lean"], nullptr);
}

TEST(SharingMomentsTest, AConversationHasNoTitle) {
  const Json out =
      shared("moments", momentRow({{"url", "https://discord.com/channels/1"}, {"title", "Anna"}}));
  EXPECT_EQ(out["messaging"], true);
  EXPECT_EQ(out["title"], nullptr);
}

TEST(SharingBodyTest, KeysSortedAndSlashesAsTheyAre) {
  EXPECT_EQ(Sharing::body({json::parse(R"({"b":"a/b","a":null,"c":true})")}),
            R"([{"a":null,"b":"a/b","c":true}])");
  EXPECT_EQ(Sharing::body({}), "[]");
}

}  // namespace
}  // namespace qb::test
