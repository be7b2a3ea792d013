// Prefs: the user's settings, and a few facts the program remembers between runs (onboarding
// finished, moments shared, when the daily question was last answered).
//
// One observable object on the main thread, created once before anything that reads a setting
// and kept for the life of the program. Each setting is a Qt property with a <name>Changed signal
// and lives in the settings store under its own key. Values are loaded on construction, and again
// by reload() (the store has read a file it could not read before), which writes nothing unless a
// stored value must go; after that the object keeps its own copy and writes through: every set
// writes the key, even when the value is equal, and signals only a real change. Other changes made
// to the store are not picked up.
//
//   property          key                default when nothing is stored
//   onboarded         "onboarded"        false
//   breakMinutes      "breakMinutes"     5 (registered)
//   keepDays          "keepDays"         7 (registered)
//   excludedApps      "excludedApps"     defaultExcludedApps() (registered)
//   excludedSites     "excludedSites"    empty (registered)
//   neverInterrupt    "neverInterrupt"   empty (registered)
//   recording         "recording"        true (registered)
//   sharing           "sharing"          false (registered): nothing leaves the machine unasked
//   sharedMoments     "sharedMoments"    0
//   waitForAgents     "waitForAgents"    false
//   promptOnChat      "promptOnChat"     false
//   questionAnswered  "questionAnswered" none (a date; none removes the key)
//   windowFrame       "windowFrame"      none: the main window's place and size (no signal)
//
// While the store cannot read the user's file (UserDefaults::unread(), as after a run with sudo
// left it to root), the defaults answer every setting, but the lists of excluded applications and
// sites they answer are not the user's: theirs are unknown. Until it reads, isExcludedApp() and
// isExcludedHost() answer true for everything, so that no window or page is read, analysed,
// learned, counted or prompted on by any reader, since each asks them first; the lists themselves
// still read as the defaults. Once reload() has taken the file, both answer from the user's lists.
//
// Registered defaults answer while the user has stored nothing under the key, and in place of a
// stored value of the wrong type (a text where a list is kept, a number where a switch is), so that
// a damaged "excludedApps" still keeps the password managers unread; a setting without a
// registered default reads such a value as the type's empty value (false, 0, none). An older
// "diagnostics" true is carried over as "recording" true and removed on loading; a false one is
// left alone.
//
// windowFrame is kept as four decimal texts, left, top, width and height of the window's content
// in desktop pixels: ["120", "80", "860", "600"]. A stored value of any other shape reads as none,
// and the window takes its first-launch place.
//
// launchAtLogin is not a stored setting: it reads and sets the login item.
//
// The settings store and the login item are borrowed: both must outlive the Prefs.

#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Date.h"

namespace qb {

class LoginItem;
class UserDefaults;

class Prefs : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool onboarded READ onboarded WRITE setOnboarded NOTIFY onboardedChanged)
  Q_PROPERTY(qint64 breakMinutes READ breakMinutes WRITE setBreakMinutes NOTIFY breakMinutesChanged)
  Q_PROPERTY(qint64 keepDays READ keepDays WRITE setKeepDays NOTIFY keepDaysChanged)
  Q_PROPERTY(std::vector<std::string> excludedApps READ excludedApps WRITE setExcludedApps NOTIFY
                 excludedAppsChanged)
  Q_PROPERTY(std::vector<std::string> excludedSites READ excludedSites WRITE setExcludedSites NOTIFY
                 excludedSitesChanged)
  Q_PROPERTY(std::vector<std::string> neverInterrupt READ neverInterrupt WRITE setNeverInterrupt
                 NOTIFY neverInterruptChanged)
  Q_PROPERTY(bool recording READ recording WRITE setRecording NOTIFY recordingChanged)
  Q_PROPERTY(bool sharing READ sharing WRITE setSharing NOTIFY sharingChanged)
  Q_PROPERTY(
      qint64 sharedMoments READ sharedMoments WRITE setSharedMoments NOTIFY sharedMomentsChanged)
  Q_PROPERTY(
      bool waitForAgents READ waitForAgents WRITE setWaitForAgents NOTIFY waitForAgentsChanged)
  Q_PROPERTY(bool promptOnChat READ promptOnChat WRITE setPromptOnChat NOTIFY promptOnChatChanged)
  Q_PROPERTY(std::optional<qb::Date> questionAnswered READ questionAnswered WRITE
                 setQuestionAnswered NOTIFY questionAnsweredChanged)
  Q_PROPERTY(
      bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)

public:
  using StringList = std::vector<std::string>;

  static constexpr const char* kOnboardedKey = "onboarded";
  static constexpr const char* kBreakMinutesKey = "breakMinutes";
  static constexpr const char* kKeepDaysKey = "keepDays";
  static constexpr const char* kExcludedAppsKey = "excludedApps";
  static constexpr const char* kExcludedSitesKey = "excludedSites";
  static constexpr const char* kNeverInterruptKey = "neverInterrupt";
  static constexpr const char* kRecordingKey = "recording";
  static constexpr const char* kSharingKey = "sharing";
  static constexpr const char* kSharedMomentsKey = "sharedMoments";
  static constexpr const char* kWaitForAgentsKey = "waitForAgents";
  static constexpr const char* kPromptOnChatKey = "promptOnChat";
  static constexpr const char* kQuestionAnsweredKey = "questionAnswered";
  static constexpr const char* kWindowFrameKey = "windowFrame";
  // The setting that "recording" replaced.
  static constexpr const char* kDiagnosticsKey = "diagnostics";

  static constexpr qint64 kDefaultBreakMinutes = 5;
  static constexpr qint64 kDefaultKeepDays = 7;
  static constexpr bool kDefaultRecording = true;
  static constexpr bool kDefaultSharing = false;

  // Password managers and system settings, whose windows are never read unless the user says so.
  static const StringList& defaultExcludedApps();
  // Login, lock screen, secret prompts and authentication dialogs: never read, never shown, never
  // editable.
  static const StringList& hiddenExclusions();

  // Registers the defaults in `defaults` and loads every setting from it.
  Prefs(UserDefaults& defaults, LoginItem& loginItem, QObject* parent = nullptr);
  ~Prefs() override;

  // Loads every setting from the store again, signalling each that changed.
  void reload();

  bool onboarded() const { return onboarded_; }
  qint64 breakMinutes() const { return breakMinutes_; }
  qint64 keepDays() const { return keepDays_; }
  const StringList& excludedApps() const { return excludedApps_; }
  const StringList& excludedSites() const { return excludedSites_; }
  const StringList& neverInterrupt() const { return neverInterrupt_; }
  bool recording() const { return recording_; }
  bool sharing() const { return sharing_; }
  qint64 sharedMoments() const { return sharedMoments_; }
  bool waitForAgents() const { return waitForAgents_; }
  bool promptOnChat() const { return promptOnChat_; }
  std::optional<Date> questionAnswered() const { return questionAnswered_; }
  const std::optional<QRect>& windowFrame() const { return windowFrame_; }
  // Whether the login item is on now (read from the desktop, not from the settings store).
  bool launchAtLogin() const;

  void setOnboarded(bool value);
  void setBreakMinutes(qint64 minutes);
  void setKeepDays(qint64 days);
  void setExcludedApps(const StringList& ids);
  void setExcludedSites(const StringList& hosts);
  void setNeverInterrupt(const StringList& scopes);
  void setRecording(bool value);
  void setSharing(bool value);
  void setSharedMoments(qint64 count);
  void setWaitForAgents(bool value);
  void setPromptOnChat(bool value);
  // A date that is not finite is taken as none: the store could not hold it.
  void setQuestionAnswered(std::optional<Date> date);
  // An empty frame is not stored.
  void setWindowFrame(const QRect& frame);
  // Turns the login item on or off; a failure is logged and leaves the item as it is.
  void setLaunchAtLogin(bool enabled);

  // The user's changes to a list in place: each changes the stored list and signals, whatever it
  // changed. append* adds the entry at the end unless the list holds it already; remove* removes
  // every entry equal to it. While the store cannot read the file, each is kept as that edit and
  // made on the user's own list once it reads (UserDefaults::addToList), whereas set* replaces
  // the whole list the file holds: use set* only where the whole list is meant.
  void appendExcludedApp(std::string id);
  void removeExcludedApp(std::string id);
  void appendExcludedSite(std::string host);
  void removeExcludedSite(std::string host);
  void appendNeverInterrupt(std::string scope);
  void removeNeverInterrupt(std::string scope);

  // The two questions every reader of a window or a page asks first. Both answer true for every
  // application and every site while the store cannot read the user's file (see the opening
  // comment).
  // True when the application's windows must not be read: it is this program, one of
  // hiddenExclusions() or an entry of excludedApps. Identifiers compare exactly, case and all.
  bool isExcludedApp(std::string_view bundleID) const;
  // True when the site must not be read: the host equals an entry of excludedSites or is a
  // subdomain of one ("a.example.com" for "example.com", never "badexample.com"). Both sides are
  // compared lower-cased and without a trailing dot, so an entry typed as "Example.com." matches.
  bool isExcludedHost(std::string_view host) const;

  // A break length for display: whole hours as "2h" (0 gives "0h", -120 gives "-2h"), any other
  // number of minutes as "90m".
  static QString shortLength(qint64 minutes);

signals:
  void onboardedChanged(bool value);
  void breakMinutesChanged(qint64 minutes);
  void keepDaysChanged(qint64 days);
  void excludedAppsChanged(const std::vector<std::string>& ids);
  void excludedSitesChanged(const std::vector<std::string>& hosts);
  void neverInterruptChanged(const std::vector<std::string>& scopes);
  void recordingChanged(bool value);
  void sharingChanged(bool value);
  void sharedMomentsChanged(qint64 count);
  void waitForAgentsChanged(bool value);
  void promptOnChatChanged(bool value);
  void questionAnsweredChanged(std::optional<qb::Date> date);
  void launchAtLoginChanged(bool enabled);

private:
  // Adds or removes the item in the store's list under key, reads the list back into `list` and
  // signals it: such a change always counts as one.
  void editList(std::string_view item, bool add, const char* key, StringList& list,
                void (Prefs::*changed)(const StringList&));
  // Whether the store cannot read the user's file for now, so that their lists are not known.
  bool listsUnknown() const;

  UserDefaults& defaults_;  // borrowed; outlives this object
  LoginItem& loginItem_;    // borrowed; outlives this object

  bool onboarded_ = false;
  qint64 breakMinutes_ = 0;
  qint64 keepDays_ = 0;
  StringList excludedApps_;
  StringList excludedSites_;
  StringList neverInterrupt_;
  bool recording_ = false;
  bool sharing_ = false;
  qint64 sharedMoments_ = 0;
  bool waitForAgents_ = false;
  bool promptOnChat_ = false;
  std::optional<Date> questionAnswered_;
  std::optional<QRect> windowFrame_;
};

}  // namespace qb
