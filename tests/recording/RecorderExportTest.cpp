#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/Json.h"
#include "base/Url.h"
#include "recording/RecorderTestSupport.h"

namespace qb::test {
namespace {

std::vector<std::string> lines(const std::filesystem::path& file) {
  std::vector<std::string> out;
  std::istringstream in(readFile(file));
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<std::string> columnNames(Reader& reader, std::string_view table) {
  std::vector<std::string> names;
  for (const auto& row : reader.rows("SELECT name FROM pragma_table_info('" + std::string(table) +
                                     "') ORDER BY cid")) {
    names.push_back(std::get<std::string>(row[0].storage()));
  }
  return names;
}

class RecorderExportTest : public RecorderTest {
protected:
  std::filesystem::path folder_ = dir_ / "out" / "nested";

  void exportAll() { recorder().exportTo(folder_).get(); }
  Json row(std::string_view table, size_t index) {
    return json::parse(lines(folder_ / (std::string(table) + ".jsonl")).at(index));
  }
  // Leaves the recording with rows in every table, some of them made by the recorder itself.
  void record() {
    recorder().start(session());
    MomentRecord first(
        Moment(1, Date{1000}, "Browser", "browser", "Docs", Url::parse("https://example.org/a/b")));
    first.frame = MomentRecord::Rect{1, 2, 300, 400};
    recorder().begin(first, {});
    recorder().tick(InputCounts{3, 1, 0, 2}, true, Date{1030});
    recorder().text(Moment(1, Date{1000}, "Browser", "browser", "Docs"), "page", std::nullopt,
                    PageShape{}, std::nullopt, 0.25);
    recorder().begin(MomentRecord::excludedAt(Date{1040}), InputCounts{5, 1, 0, 2});
    recorder().system("launch", std::nullopt, "a/b", Date{1000});
    recorder().system("sleep", 1, std::nullopt, Date{1001});
    flush();
    Reader other(path_);
    other.exec(
        "INSERT INTO model_runs (session, moment, at, pass, probabilities, cache_hit) VALUES "
        "(1, 1, 5.5, 'head', '{\"work\":0.75}', 0);"
        "INSERT INTO decisions (session, at, mode, cooldowns, decision) VALUES "
        "(1, 6, 'learning', '{}', 'none');"
        "INSERT INTO switches (session, at, verdict, work) VALUES (1, 7, 'project', '[\"x\"]');"
        "INSERT INTO prompts (id, session, shown_at, why, followed_by) VALUES "
        "('P', 1, 8, '[\"t\",\"l\"]', 'not json');"
        "INSERT INTO contexts (session, at, event, titles) VALUES (1, 9, 'formed', '[]');"
        "INSERT INTO labels (session, moment, label, source, labelled_at) VALUES "
        "(1, 1, 'work', 'question', 10);"
        "INSERT INTO retractions (answer, at) VALUES ('A', 11);");
  }
};

TEST_F(RecorderExportTest, EveryTableIsALineARowWithItsColumnsInRowOrder) {
  record();
  recorder().system("wake", 2, std::nullopt, Date{1002});  // not flushed: the export does it
  exportAll();
  Reader reader(path_);
  for (std::string_view table : Recorder::tables) {
    SCOPED_TRACE(std::string(table));
    const std::vector<std::string> exported = lines(folder_ / (std::string(table) + ".jsonl"));
    ASSERT_EQ(static_cast<int64_t>(exported.size()), reader.count(std::string(table)));
    EXPECT_GT(exported.size(), 0u);
    std::set<std::string> columns;
    for (const std::string& name : columnNames(reader, table)) columns.insert(name);
    if (table == "prompts") columns.erase("followed_by");  // not JSON: left out
    for (const std::string& line : exported) {
      const Json object = json::parse(line);
      EXPECT_EQ(json::dump(object), line);  // sorted keys, compact, slashes as they are
      std::set<std::string> keys;
      for (const auto& [key, value] : object.items()) keys.insert(key);
      EXPECT_EQ(keys, columns);
    }
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "shared.jsonl"));
  EXPECT_EQ(readFile(folder_ / "system.jsonl").back(), '\n');
  std::vector<Json> moments;
  for (const std::string& line : lines(folder_ / "system.jsonl")) {
    moments.push_back(json::parse(line)["moment"]);
  }
  EXPECT_EQ(moments, (std::vector<Json>{nullptr, 1, 2}));
}

TEST_F(RecorderExportTest, ValuesKeepTheirTypesAndJsonColumnsTheirJson) {
  record();
  exportAll();
  const Json moment = row("moments", 0);
  EXPECT_EQ(moment["id"], 1);
  EXPECT_TRUE(moment["id"].is_number_integer());
  EXPECT_EQ(moment["started"], Date{1000}.unixTime());
  EXPECT_EQ(moment["url"], "https://example.org/a/b");
  EXPECT_EQ(moment["frame"], Json::parse("[1,2,300,400]"));
  EXPECT_EQ(moment["ticks"], Json::parse("[[30,3,1,0,2],[40,2,0,0,0]]"));
  EXPECT_EQ(moment["media"], 1);
  EXPECT_EQ(moment["page_shape"]["truncated"], false);
  EXPECT_EQ(moment["text_ms"], 250.0);
  EXPECT_TRUE(moment["window_share"].is_null());
  EXPECT_EQ(row("sessions", 0)["analyzer"].type(), Json::value_t::object);
  EXPECT_EQ(row("model_runs", 0)["probabilities"], Json::parse(R"({"work":0.75})"));
  EXPECT_EQ(row("prompts", 0)["why"], Json::parse(R"(["t","l"])"));
  EXPECT_TRUE(row("retractions", 0)["session"].is_null());
}

TEST_F(RecorderExportTest, EmptyRecordingGivesEmptyFilesAndASchemaNamingEveryField) {
  exportAll();
  Reader reader(path_);
  const std::string schema = readFile(folder_ / "SCHEMA.md");
  EXPECT_TRUE(schema.starts_with("# Quillbrook recording\n"));
  EXPECT_EQ(schema, readFile(std::filesystem::path(QB_TEST_DATA) / ".." / ".." / "resources" /
                             "SCHEMA.md"));  // byte for byte as built in
  for (std::string_view table : Recorder::tables) {
    SCOPED_TRACE(std::string(table));
    EXPECT_EQ(std::filesystem::file_size(folder_ / (std::string(table) + ".jsonl")), 0u);
    const size_t start = schema.find("\n## " + std::string(table) + "\n");
    ASSERT_NE(start, std::string::npos);
    const std::string section = schema.substr(start, schema.find("\n## ", start + 1) - start);
    for (const std::string& column : columnNames(reader, table)) {
      EXPECT_THAT(section, ::testing::HasSubstr("`" + column + "`")) << column;
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}),
            static_cast<std::ptrdiff_t>(Recorder::tables.size() + 1));
}

TEST_F(RecorderExportTest, ExportIsItsUsersAloneInAFolderItMakesOrOneTheUserChose) {
  UsualUmask usual;
  record();
  exportAll();
  EXPECT_EQ(modeOf(folder_), "700");
  EXPECT_EQ(modeOf(folder_.parent_path()), "755");
  std::filesystem::create_directory(dir_ / "chosen");
  folder_ = dir_ / "chosen";
  exportAll();
  EXPECT_EQ(modeOf(folder_), "755") << "the user's own folder keeps its permissions";
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    EXPECT_EQ(modeOf(entry.path()), "600") << entry.path();
  }
}

TEST_F(RecorderExportTest, FailureIsThrownAndLeavesNoTemporaryFile) {
  recorder();
  LogCapture log;
  writeFile(dir_ / "file", "x");
  folder_ = dir_ / "file" / "export";
  EXPECT_THAT([&] { exportAll(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kExportFailedCode, "Can't create"));

  folder_ = dir_ / "export";
  std::filesystem::create_directories(folder_ / "moments.jsonl");  // a folder in a file's place
  EXPECT_THAT([&] { exportAll(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kExportFailedCode, "moments.jsonl"));
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"sessions.jsonl", "moments.jsonl"}));
  EXPECT_FALSE(log.lines().empty());
}

TEST_F(RecorderExportTest, ReadOnlyExportLeavesTheRecordingAsItIsWhileItIsRecorded) {
  record();
  exportAll();
  const std::filesystem::path live = folder_;
  const std::string before = readFile(path_);
  const std::string walBefore = readFile(path_.string() + "-wal");

  folder_ = dir_ / "readonly";
  Recorder::exportReadOnly(path_, folder_);
  EXPECT_EQ(readFile(path_), before);
  EXPECT_EQ(readFile(path_.string() + "-wal"), walBefore);
  for (std::string_view table : Recorder::tables) {
    SCOPED_TRACE(std::string(table));
    const std::string name = std::string(table) + ".jsonl";
    EXPECT_EQ(readFile(folder_ / name), readFile(live / name));
  }
  EXPECT_EQ(readFile(folder_ / "SCHEMA.md"), readFile(live / "SCHEMA.md"));

  recorder().system("wake", 2, std::nullopt, Date{1002});
  flush();  // the live recorder still writes after the export
  close();
  const std::string closed = readFile(path_);
  Recorder::exportReadOnly(path_, folder_);
  EXPECT_EQ(readFile(path_), closed);
  EXPECT_EQ(lines(folder_ / "system.jsonl").size(), 3u);
}

TEST_F(RecorderExportTest, ReadOnlyExportTellsAMissingRecordingFromABrokenOne) {
  LogCapture log;
  EXPECT_THAT([&] { Recorder::exportReadOnly(dir_ / "none.sqlite", folder_); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kNoRecordingCode,
                          "No recording at " + (dir_ / "none.sqlite").string()));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "none.sqlite"));
  writeFile(dir_ / "junk.sqlite", std::string(4096, 'z'));
  EXPECT_THAT([&] { Recorder::exportReadOnly(dir_ / "junk.sqlite", folder_); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kOpenFailedCode, "not a database"));
  EXPECT_EQ(readFile(dir_ / "junk.sqlite"), std::string(4096, 'z'));
  EXPECT_FALSE(std::filesystem::exists(folder_)) << "nothing to export, no folder";
}

TEST_F(RecorderExportTest, ReadOnlyExportTellsAnEmptyADamagedAndABusyFileFromARecording) {
  std::unique_ptr<Reader> holder;
  struct Case {
    const char* name;
    std::function<void()> make;  // leaves the file at path_
    long code;
    std::string words;
  };
  const Case cases[] = {
      {"empty", [&] { writeFile(path_, ""); }, Recorder::kNoRecordingCode, "No recording at "},
      {"damaged", [&] { makeDamagedRecording(); }, Recorder::kOpenFailedCode, "damaged"},
      {"held by another program",
       [&] {
         record();
         close();
         holder = std::make_unique<Reader>(path_);
         holder->holdExclusively();
       },
       Recorder::kExportFailedCode, "another program holds it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    path_ = dir_ / c.name / "recording.sqlite";
    std::filesystem::create_directories(path_.parent_path());
    c.make();
    const std::string before = readFile(path_);
    LogCapture log;
    EXPECT_THAT([&] { Recorder::exportReadOnly(path_, folder_); },
                ThrowsError(Recorder::kErrorDomain, c.code, c.words));
    EXPECT_EQ(readFile(path_), before);
    EXPECT_FALSE(std::filesystem::exists(folder_));
  }
}

TEST_F(RecorderExportTest, FileThatTakesNoWritesExportsWhenNothingWaits) {
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
  std::unique_ptr<Reader> writer;
  struct Case {
    const char* name;
    std::function<void()> hold;
  };
  const Case cases[] = {
      {"read-only",
       [&] {
         OrdinaryUser user(path_.parent_path());
         std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
         recorder();
       }},
      {"locked",
       [&] {
         writer = std::make_unique<Reader>(path_);
         writer->exec("BEGIN IMMEDIATE");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    path_ = dir_ / c.name / "recording.sqlite";
    folder_ = path_.parent_path() / "out";
    record();
    close();
    LogCapture log;
    c.hold();
    exportAll();
    EXPECT_EQ(lines(folder_ / "system.jsonl").size(), 2u);
    writer.reset();
    close();
  }
}

TEST_F(RecorderExportTest, CountsMomentsThatALabelNamesOrOverlapsExcludedOnesAside) {
  recorder().start(session());
  for (int i = 0; i < 10; ++i) {
    const Date at = Date::fromUnix(1000 + 10 * i);
    recorder().begin(i == 2 || i == 9 ? MomentRecord::excludedAt(at)
                                      : MomentRecord(Moment(i, at, "App", "app", "T")),
                     {});
  }
  EXPECT_EQ(recorder().counts().get(), (Recorder::Counts{8, 0}));
  Reader reader(path_);
  // Covers 4, 5 and 6; touches 3's end and 7's start without overlapping them.
  reader.exec(
      "INSERT INTO labels (session, started, ended, label, source, labelled_at) VALUES "
      "(1, 1040, 1070, 'continued', 'prompt', 1)");
  EXPECT_EQ(recorder().counts().get(), (Recorder::Counts{8, 3}));
  reader.exec(
      "INSERT INTO labels (session, moment, label, source, labelled_at) VALUES "
      "(1, 0, 'work', 'question', 1), (2, 1, 'work', 'question', 1), "
      "(1, 4, 'work', 'question', 1)");
  EXPECT_EQ(recorder().counts().get(), (Recorder::Counts{8, 4}));
}

TEST_F(RecorderExportTest, DeleteAllEmptiesTheRecordingAndTheSessionGoesOn) {
  record();
  Reader reader(path_);
  reader.exec("INSERT INTO shared VALUES ('moments', 5), ('system', 2)");
  const auto session = reader.rows("SELECT id, uid FROM sessions").at(0);
  MomentRecord open(Moment(7, Date{1100}, "App", "app", "T"));
  recorder().begin(open, {});  // not flushed: deleted with the rest
  recorder().deleteAll().get();

  const auto after = reader.rows("SELECT id, uid FROM sessions");
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0][0], session[0]);
  EXPECT_NE(after[0][1], session[1]);
  for (std::string_view table : Recorder::tables) {
    if (table == "sessions") continue;
    SCOPED_TRACE(std::string(table));
    EXPECT_EQ(reader.count(std::string(table)), 0);
  }
  EXPECT_EQ(reader.count("shared WHERE last = 0"), 2);

  recorder().end(Date{1200}, {});  // the open moment was forgotten: nothing to end
  recorder().begin(MomentRecord(Moment(8, Date{1300}, "App", "app", "T")), {});
  flush();
  EXPECT_EQ(reader.rows("SELECT session, id, ended FROM moments"),
            (Rows{{session[0], SqlValue(8), SqlValue()}}));

  // Without a session, no session is left either.
  recorder().stop(Date{1500}, {});
  recorder().deleteAll().get();
  EXPECT_EQ(reader.count("sessions") + reader.count("moments"), 0);
}

TEST_F(RecorderExportTest, LockedFileFailsTheExportAndTheDeletionAndKeepsEverything) {
  record();
  Reader other(path_);
  other.exec("BEGIN IMMEDIATE");
  LogCapture log;
  recorder().system("wake", 2, std::nullopt, Date{1002});
  EXPECT_THAT([&] { exportAll(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kNotSavedCode, "lack them"));
  EXPECT_THAT([&] { recorder().deleteAll().get(); },
              ThrowsError(Recorder::kErrorDomain, Recorder::kDeleteFailedCode, "is busy"));
  other.exec("ROLLBACK");
  flush();
  EXPECT_EQ(other.count("system"), 3);
  EXPECT_EQ(other.count("moments"), 2);
}

}  // namespace
}  // namespace qb::test
