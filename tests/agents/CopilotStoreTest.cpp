#include "agents/AgentHome.h"
#include "agents/SessionStores.h"

namespace qb::AgentSessions {
namespace {

using test::AgentHome;
using test::kNow;
using test::kSince;

std::string storage(const std::string& editor, const std::string& workspace) {
  return ".config/" + editor + "/User/workspaceStorage/" + workspace + "/";
}

TEST(CopilotStoreTest, EachTitledChatIsASessionInItsWorkspacesFolder) {
  AgentHome home;
  const std::string code = storage("Code", "w1");
  home.write(code + "workspace.json", R"({"folder":"file:///home/u/My%20Project"})");
  home.write(code + "chatSessions/a.json", R"({"customTitle":"Add tests","requests":[]})", kSince);
  home.write(code + "chatSessions/untitled.json", R"({"requests":[]})");
  home.write(code + "chatSessions/old.json", R"({"customTitle":"Old"})", kSince - 1);
  home.write(code + "chatSessions/cut.json", R"({"customTitle":"Cu)");
  const std::string insiders = storage("Code - Insiders", "w2");
  home.write(insiders + "workspace.json", R"({"folder":"file:///w/other"})");
  home.write(insiders + "chatSessions/b.json", R"({"customTitle":"Review \u00e9"})", kNow);

  EXPECT_EQ(copilotChat(home.path(), kSince),
            (std::vector{AgentSession("Copilot", "/home/u/My Project", "Add tests", kSince, false),
                         AgentSession("Copilot", "/w/other", "Review \u00e9", kNow, false)}));
}

TEST(CopilotStoreTest, AWorkspaceWithoutAUsableFolderIsPassedOver) {
  for (const char* workspace : {"", R"({"folder":42})", R"({"workspace":"file:///w/x.code"})",
                                R"({"folder":"not a url"})", "{\"folder\":\"file:///w/\xFF"}) {
    SCOPED_TRACE(workspace);
    AgentHome home;
    if (*workspace) home.write(storage("Code", "w") + "workspace.json", workspace);
    home.write(storage("Code", "w") + "chatSessions/a.json", R"({"customTitle":"Chat"})");
    EXPECT_TRUE(copilotChat(home.path(), kSince).empty());
  }
}

}  // namespace
}  // namespace qb::AgentSessions
