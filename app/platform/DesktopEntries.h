// DesktopEntries: the applications installed on this desktop, as their .desktop files describe
// them, and which of them a running window belongs to.
//
// The files are those under $XDG_DATA_HOME/applications and each $XDG_DATA_DIRS/applications
// (~/.local/share and /usr/local/share:/usr/share when unset). An entry's id is its path below
// its applications folder with "/" turned into "-" and ".desktop" dropped; where two folders hold
// the same id, the earlier folder's file is the entry. Hidden and NoDisplay entries are installed
// like any other.
//
// The folders are read on the first question and again only when the modification time of one of
// the folders read (or of a missing folder's appearance) changed since: no thread watches them.
// Each file is read up to a bound, so that a huge or endless file costs no more than a small one.
//
// Not thread-safe: one thread asks all the questions.

#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class DesktopEntries {
public:
  // What is known of a running window's program, from which its entry is found.
  struct Clues {
    std::string instance;               // WM_CLASS instance name ("gnome-text-editor")
    std::string className;              // WM_CLASS class name ("Gnome-text-editor")
    std::vector<std::string> programs;  // executable base names, best first ("gnome-text-editor")
  };

  // The folders of the environment, in the order their entries take precedence.
  DesktopEntries();
  explicit DesktopEntries(std::vector<std::filesystem::path> applicationFolders);

  // $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications; relative paths in
  // those variables are ignored, as the base-directory rules ask.
  static std::vector<std::filesystem::path> applicationFoldersOfEnvironment();

  // The base names of the process's executable (/proc/<pid>/exe) and of its argv[0], without
  // repeats; empty for a process that is gone or that this user may not inspect.
  static std::vector<std::string> programsOf(pid_t pid);

  bool isInstalled(std::string_view id) const;
  // The entry's Name, untranslated; none for an entry without one or an id not installed.
  std::optional<std::string> name(std::string_view id) const;
  // The entry's Icon, untranslated: a theme icon's name or an absolute path to an image; none for
  // an entry without one or an id not installed.
  std::optional<std::string> icon(std::string_view id) const;
  // The entry's main category: the first of its Categories that the desktop menus register as a
  // main one ("Development", "Office", "Game", ...), else its first category; none for an entry
  // without categories or an id not installed.
  std::optional<std::string> category(std::string_view id) const;

  // The id of the entry the window belongs to, tried in this order: an entry whose StartupWMClass
  // is the class or the instance name; an entry whose id is the class or the instance name, in
  // any case, or a reverse-DNS id naming it in its last labels ("org.gnome.TextEditor" for
  // "TextEditor" or "gnome-text-editor"); an entry whose Exec program is one of the programs.
  // Among several matches, one shown in menus wins, then the smallest id. Without a match: the
  // class name in lower case, else the first program, else none.
  std::optional<std::string> applicationID(const Clues& clues) const;

  // The keys of a desktop entry's own group ("[Desktop Entry]"), in file order, values trimmed
  // and unescaped; none when the text has no such group. Other groups (actions) are not read.
  using Keys = std::vector<std::pair<std::string, std::string>>;
  static std::optional<Keys> entryKeys(std::string_view text);

private:
  struct Entry {
    std::optional<std::string> name;
    std::optional<std::string> icon;
    std::optional<std::string> category;
    std::string program;  // the base name of Exec's program, empty without Exec
    std::string startupWMClass;
    bool shown = true;  // neither Hidden nor NoDisplay
  };
  // A folder read at the last scan, and its modification time then; none while it was missing.
  struct FolderState {
    std::filesystem::path path;
    std::optional<std::filesystem::file_time_type> modified;
  };

  void refreshIfChanged() const;
  bool changedSinceScan() const;
  void scan() const;
  void scanFolder(const std::filesystem::path& folder) const;
  template <typename Matches>
  std::optional<std::string> firstMatch(Matches matches) const;

  std::vector<std::filesystem::path> folders_;
  mutable bool scanned_ = false;
  mutable std::map<std::string, Entry, std::less<>> entries_;  // by id
  mutable std::vector<FolderState> folderStates_;              // what the scan read, subfolders too
};

}  // namespace qb
