// UserDefaults: the user's settings as typed values under text keys, kept in one JSON file.
//
// Two domains answer a read. The user's domain is what the user has set: it is read from the file
// once, on construction, and every set or remove writes the whole domain back at once. The
// registration domain holds the program's defaults: it lives in memory only, is never written to
// the file, and answers a read only while the user's domain has nothing under the key. A value the
// user stored therefore outlives a change of the program's defaults, and an empty list the user
// chose stays empty instead of turning back into the default.
//
// The file is one JSON object with a member per key: a bool is a JSON boolean, an integer a JSON
// integer, a list of text a JSON array of strings, and a date the object {"date": <seconds since
// 2001-01-01 00:00 UTC>}, so that a date never reads as a number or a number as a date:
//   {"breakMinutes": 15, "excludedSites": [], "questionAnswered": {"date": 786240000.5}}
// JSON text is UTF-8, but text given to the store may be any bytes (a desktop-file id named in
// Latin-1): an item of a list that is not valid UTF-8 is written as {"bytes": "<Base64>"} of its
// bytes, and reads back as exactly those bytes, so that it still matches after a restart.
//
// A read of a key whose stored value has another type (a text where a list is kept, a list with an
// item that is no text) answers the registered default, and without one the type's empty value
// (false, 0, no list, no date): a hand-edited file cannot make the program misread a setting or
// drop a default it relies on. The read is logged, and the value stays in the file until the key
// is set again.
//
// Failures never reach the caller, and never lose what the user set. What the system answers (no
// permission, as after a run with sudo left the file to root; an I/O error; a read-only file,
// folder or disk; a full disk) is told apart from a file whose content is damaged:
// - A file the system refuses to read is kept as it is: the store answers from the registered
//   defaults, writes nothing over it, and reads it again at each retry(). What is set or removed
//   meanwhile is kept in memory; once the file reads, it is laid over what the file holds and the
//   whole is written. A removal counts only for a key the user's domain holds: the domain starts
//   empty, so a removal made on what the defaults answered takes nothing from the file. An item
//   added to or removed from a list meanwhile is kept as that edit, not as the list shown then
//   (the defaults' list, not the user's): once the file reads, the edits are made in their order
//   on the list the file holds, or on the registered default when it holds none, so that the
//   user's own entries stay. An add undone meanwhile leaves the user's list as it was: a removal
//   of an item that a kept add put on the list shown (which did not hold it) drops the kept adds
//   of the item and is not kept itself, so that the user's list keeps the item if it held it (an
//   earlier removal of the item stays kept). A removal of an item that no kept add put on the
//   list shown (one of the defaults' list, say) is kept.
// - A file whose content cannot be read (no UTF-8, larger than kMaxFileBytes, no regular file),
//   or that does not hold a JSON object, is logged and set aside under a new name beside it
//   (settings.json.unreadable, then settings.json.unreadable-2, ...), and the store starts from
//   the registered defaults. When it cannot be set aside either, nothing is written for the life
//   of the store, so the file is left for the user to recover.
// - A write that fails is logged (once while its reason stays the same); the values stay in
//   memory, and the next set or remove, or retry(), writes the whole domain again.
// - What is still unsaved as the store is destroyed is logged as lost, by key. The destructor
//   writes nothing: once the program has begun to quit, another copy may already read the file.
//
// unsaved() and unread() say what waits; the function given to setChanged() hears each change of
// either, so that the program can tell the user that their changes are not kept for now.
//
// Writes are atomic (a temporary file beside the target, flushed, then renamed; the folder is
// created first). Not thread-safe: the program uses it on the main thread only.

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/Date.h"
#include "base/JsonFwd.h"

namespace qb {

class UserDefaults {
public:
  using StringList = std::vector<std::string>;
  using Value = std::variant<bool, int64_t, StringList, Date>;

  // Files larger than this are unreadable: settings run to a few kilobytes.
  static constexpr uint64_t kMaxFileBytes = 4 << 20;
  // The tries at a free name for an unreadable file before giving up on setting it aside.
  static constexpr int kMaxSetAsideNames = 100;

  // Reads the user's domain from `file` (a missing file is an empty domain, not an error).
  explicit UserDefaults(std::filesystem::path file);
  // Logs what is still unsaved as lost; writes nothing.
  ~UserDefaults();
  UserDefaults(const UserDefaults&) = delete;
  UserDefaults& operator=(const UserDefaults&) = delete;

  const std::filesystem::path& file() const { return file_; }

  // Adds to the registration domain, replacing what was registered under the same keys. A date
  // that is not finite is refused (logged), since the file could not hold it.
  void registerDefaults(const std::map<std::string, Value, std::less<>>& values);

  // Whether either domain has a value, of any type, under the key.
  bool contains(std::string_view key) const;

  // Each reads the user's value, else the registered one, as the opening comment says.
  bool boolValue(std::string_view key) const;
  int64_t integerValue(std::string_view key) const;
  // None when neither domain holds a list whose every item is text.
  std::optional<StringList> stringList(std::string_view key) const;
  std::optional<Date> date(std::string_view key) const;

  // Each stores the value in the user's domain and writes the file at once. setDate refuses (and
  // logs) a date that is not finite, leaving the key as it was.
  void setBool(std::string_view key, bool value);
  void setInteger(std::string_view key, int64_t value);
  void setStringList(std::string_view key, const StringList& value);
  void setDate(std::string_view key, Date value);
  // Removes the key from the user's domain (the registered default, if any, answers again) and
  // writes the file at once; a key the user's domain does not hold changes nothing and writes
  // nothing.
  void remove(std::string_view key);
  // Edits of the list under the key as stringList() reads it (an empty one when none does), each
  // written at once, and kept as an edit while the file is unread (see above). addToList appends
  // the item unless the list already holds it; removeFromList removes every item equal to it.
  // Items compare as bytes. Use these for a change the user makes to a list, and setStringList
  // only where the whole list is meant: a list set while the file is unread replaces the file's.
  void addToList(std::string_view key, const std::string& item);
  void removeFromList(std::string_view key, const std::string& item);

  // Whether the file is there but the system refuses to read it for now: the defaults answer.
  bool unread() const { return unread_; }
  // Whether anything the user set is not on disk: the file is unread, or a change is unwritten.
  bool unsaved() const;
  // Tries again what waits: reads an unread file, laying what was set meanwhile over it, and
  // writes what is unwritten. Answers true when the file was read now, so that whoever took
  // values from the store reads them again.
  bool retry();
  // `changed` is called, on the calling thread, whenever unsaved() or unread() changes; it must
  // stay callable as long as the store may change, or be replaced first.
  void setChanged(std::function<void()> changed);

private:
  // The user's domain as the file holds it: empty for a missing file and for one set aside; none
  // while the system refuses to read it.
  std::optional<Json> load();
  void setAside(const std::string& reason);
  void set(std::string_view key, Json value);
  // One change of a list, kept while the file is unread.
  struct ListEdit {
    bool add = false;  // else a removal
    std::string item;
    // An add that put the item on the list shown, which did not hold it: a removal of the item
    // undoes it.
    bool shown = false;
  };
  void editList(std::string_view key, ListEdit edit);
  // Drops the kept adds of the item when one of them put it on the list shown, and answers
  // whether it did: a removal of the item is then not kept.
  static bool undoAdd(std::vector<ListEdit>& edits, const std::string& item);
  // The list under key in `domain`, else the registered one, else an empty one: what an edit
  // changes.
  StringList editedList(const Json& domain, std::string_view key) const;
  static void apply(StringList& list, const ListEdit& edit);
  void write();
  // Calls changed_ when unsaved() or unread() differ from what it was last told.
  void announce();
  // The value under key in one domain, null when there is none.
  static const Json* find(const Json& domain, std::string_view key);
  // The user's value under key when decode() reads it, else the registered one when it reads
  // that; a user's value that it cannot read is logged, naming the type it wanted.
  template <typename T>
  std::optional<T> read(std::string_view key, std::optional<T> (*decode)(const Json&),
                        std::string_view type) const;

  std::filesystem::path file_;
  // Both are JSON objects holding values in the file's typed forms, so one decoder reads either.
  std::unique_ptr<Json> user_;
  std::unique_ptr<Json> registered_;
  // What was set since the last write that succeeded, by key; null for a key removed. Laid over
  // the file's content once an unread file reads.
  std::unique_ptr<Json> unwritten_;
  // The edits of lists made while the file is unread, by key and in order; a key is there only
  // while it has some. They come after the key's value in unwritten_ (a set or removal of the key
  // drops them) and are made on the file's list once it reads.
  std::map<std::string, std::vector<ListEdit>, std::less<>> listEdits_;
  // False when an unreadable file could not be set aside: writing would destroy it.
  bool writable_ = true;
  // The file is there but the system refuses to read it: nothing is written over it.
  bool unread_ = false;
  // The last failure logged, so that a retry that fails the same way says nothing new.
  std::string lastFailure_;
  std::string lastFolderFailure_;
  std::function<void()> changed_;
  std::pair<bool, bool> announced_;  // unsaved() and unread() as changed_ last heard them
};

}  // namespace qb
