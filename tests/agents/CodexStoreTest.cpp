#include "agents/AgentHome.h"
#include "agents/SessionStores.h"

namespace qb::AgentSessions {
namespace {

using test::AgentHome;
using test::kNow;
using test::kSince;

constexpr const char* kIndex = ".codex/session_index.jsonl";
constexpr const char* kRollout = ".codex/sessions/2023/11/14/rollout-2023-11-14-c1.jsonl";

std::string indexLine(const std::string& id, const std::string& title) {
  return R"({"id":")" + id + R"(","thread_name":")" + title + "\"}\n";
}
std::string metaLine(const std::string& idKey, const std::string& id) {
  return R"({"type":"session_meta","payload":{")" + idKey + R"(":")" + id +
         R"(","cwd":"/w/app"}})"
         "\n";
}
std::string eventLine(const std::string& type) {
  return R"({"type":"event_msg","payload":{"type":")" + type + "\"}}\n";
}

TEST(CodexStoreTest, BusyWhileTheLastTurnMarkerIsARecentStart) {
  struct Case {
    std::string events;
    Duration age;
    bool busy;
  };
  for (const Case& c : std::vector<Case>{
           {eventLine("task_started") + eventLine("agent_message"), 599, true},
           {eventLine("task_started"), 600, false},
           {eventLine("task_started") + eventLine("turn_aborted"), 1, false},
           {eventLine("task_complete") + eventLine("task_started"), 1, true},
           {eventLine("task_started") + eventLine("task_complete"), 1, false},
           {eventLine("agent_message"), 1, false},
       }) {
    SCOPED_TRACE(c.events + std::to_string(c.age));
    AgentHome home;
    home.write(kIndex, indexLine("c1", "Refactor parser"));
    home.write(kRollout, metaLine("id", "c1") + c.events, kNow - c.age);
    EXPECT_EQ(
        codex(home.path(), kSince, kNow),
        (std::vector{AgentSession("Codex", "/w/app", "Refactor parser", kNow - c.age, c.busy)}));
  }
}

TEST(CodexStoreTest, ARolloutNeedsItsIdTitledInTheIndex) {
  struct Case {
    const char* name;
    std::optional<std::string> index;  // absent: no index file
    std::string meta;
    std::optional<std::string> title;  // absent: no session
  };
  const std::string bigIndex =
      indexLine("c1", "Lost") + std::string(kEndBytes, '\n') + indexLine("c2", "Other");
  for (const Case& c : std::vector<Case>{
           {"titled", indexLine("c1", "Old") + indexLine("c1", "New"), metaLine("id", "c1"), "New"},
           {"by session_id", indexLine("c1", "Fix"), metaLine("session_id", "c1"), "Fix"},
           {"untitled", indexLine("c2", "Other"), metaLine("id", "c1"), std::nullopt},
           {"titled only before the index's end", bigIndex, metaLine("id", "c1"), std::nullopt},
           {"no index", std::nullopt, metaLine("id", "c1"), std::nullopt},
           {"empty index", "", metaLine("id", "c1"), std::nullopt},
           {"no id", indexLine("c1", "Fix"), metaLine("name", "c1"), std::nullopt},
           {"leading blank lines", indexLine("c1", "Fix"), "\n\n" + metaLine("id", "c1"), "Fix"},
           {"payload not an object", indexLine("c1", "Fix"), R"({"payload":"c1"})", std::nullopt},
           {"first line cut at the head's end", indexLine("c1", "Fix"),
            metaLine("id", "c1").substr(0, 20) + std::string(kEndBytes, ' ') + "}\n", std::nullopt},
       }) {
    SCOPED_TRACE(c.name);
    AgentHome home;
    if (c.index) home.write(kIndex, *c.index);
    home.write(kRollout, c.meta + eventLine("task_complete"));
    const auto sessions = codex(home.path(), kSince, kNow);
    if (!c.title) {
      EXPECT_TRUE(sessions.empty());
    } else {
      ASSERT_EQ(sessions.size(), 1u);
      EXPECT_EQ(sessions[0].title, *c.title);
    }
  }
}

TEST(CodexStoreTest, EveryRecentRolloutAtAnyDepthIsASession) {
  AgentHome home;
  home.write(kIndex, indexLine("c1", "Fix"));
  const std::string rollout = metaLine("id", "c1");
  home.write(".codex/sessions/rollout-top.jsonl", rollout, kSince);
  home.write(".codex/sessions/a/b/c/d/rollout-deep.jsonl", rollout, kSince + 1);
  home.write(".codex/sessions/rollout-old.jsonl", rollout, kSince - 1);
  home.write(".codex/sessions/other.jsonl", rollout, kNow);
  home.write(".codex/sessions/rollout-x.json", rollout, kNow);
  auto sessions = codex(home.path(), kSince, kNow);
  std::sort(sessions.begin(), sessions.end(),
            [](const auto& a, const auto& b) { return a.updated < b.updated; });
  EXPECT_EQ(sessions, (std::vector{AgentSession("Codex", "/w/app", "Fix", kSince, false),
                                   AgentSession("Codex", "/w/app", "Fix", kSince + 1, false)}));
}

}  // namespace
}  // namespace qb::AgentSessions
