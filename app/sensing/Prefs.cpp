#include "sensing/Prefs.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "base/NoDestructor.h"
#include "base/Text.h"
#include "platform/ApplicationIdentity.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"

namespace qb {
namespace {

// A host or an excluded-site entry as compared: lower-cased, without the trailing dot of a fully
// qualified name.
std::string siteKey(std::string_view host) {
  std::string key = text::lowercased(host);
  if (key.ends_with('.')) key.pop_back();
  return key;
}

bool contains(const Prefs::StringList& list, std::string_view item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Stores value in field and answers whether that changed it; value may be field itself.
template <typename T>
bool assign(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

// The four numbers of a window frame, in the order they are stored.
constexpr size_t kFrameNumbers = 4;

std::optional<QRect> readFrame(const std::optional<Prefs::StringList>& stored) {
  if (!stored || stored->size() != kFrameNumbers) return std::nullopt;
  std::array<int, kFrameNumbers> numbers{};
  for (size_t i = 0; i < kFrameNumbers; ++i) {
    bool ok = false;
    numbers[i] = QString::fromStdString((*stored)[i]).toInt(&ok);
    if (!ok) return std::nullopt;
  }
  const QRect frame(numbers[0], numbers[1], numbers[2], numbers[3]);
  if (frame.isEmpty()) return std::nullopt;
  return frame;
}

}  // namespace

const Prefs::StringList& Prefs::defaultExcludedApps() {
  static const NoDestructor<StringList> apps(StringList{
      "com.1password.1password",
      "com.agilebits.onepassword7",
      "com.bitwarden.desktop",
      "com.apple.keychainaccess",
      "com.apple.Passwords",
      "com.apple.systempreferences",
      // The same kinds of program on this desktop, by desktop-file id.
      "org.keepassxc.KeePassXC",
      "bitwarden",            // Bitwarden's own package; its flatpak is com.bitwarden.desktop
      "bitwarden_bitwarden",  // Bitwarden's snap
      "org.gnome.seahorse.Application",
      "org.kde.kwalletmanager5",
      "org.gnome.Settings",
      "systemsettings",
  });
  return *apps;
}

const Prefs::StringList& Prefs::hiddenExclusions() {
  // Programs without a desktop file go by their executable's name, lower-cased, as the sensing
  // layer reports them.
  static const NoDestructor<StringList> hidden(StringList{
      "com.apple.loginwindow",
      "com.apple.ScreenSaver.Engine",
      "com.apple.SecurityAgent",
      // Login screens.
      "lightdm-gtk-greeter",
      // Screen lockers and their unlock dialogs.
      "xscreensaver",
      "xscreensaver-auth",
      "xscreensaver-gfx",
      "light-locker",
      "i3lock",
      "gnome-screensaver",
      "gnome-screensaver-dialog",
      "mate-screensaver-dialog",
      "org.cinnamon.ScreenSaver",
      "kscreenlocker_greet",
      // Prompts for secrets: keyrings, wallets, passphrases.
      "gcr-prompter",
      "org.kde.kwalletd5",
      "pinentry-gnome3",
      "pinentry-gtk-2",
      "pinentry-qt",
      "gnome-ssh-askpass",
      "ksshaskpass",
      // Authentication dialogs for administrator rights.
      "polkit-gnome-authentication-agent-1",
      "org.kde.polkit-kde-authentication-agent-1",
      "polkit-mate-authentication-agent-1",
      "lxqt-policykit-agent",
      "lxpolkit",
  });
  return *hidden;
}

Prefs::Prefs(UserDefaults& defaults, LoginItem& loginItem, QObject* parent)
    : QObject(parent), defaults_(defaults), loginItem_(loginItem) {
  defaults_.registerDefaults({
      {kBreakMinutesKey, int64_t{kDefaultBreakMinutes}},
      {kKeepDaysKey, int64_t{kDefaultKeepDays}},
      {kRecordingKey, kDefaultRecording},
      {kSharingKey, kDefaultSharing},
      {kExcludedAppsKey, defaultExcludedApps()},
      {kExcludedSitesKey, StringList{}},
      {kNeverInterruptKey, StringList{}},
  });
  reload();
}

Prefs::~Prefs() = default;

void Prefs::reload() {
  if (assign(onboarded_, defaults_.boolValue(kOnboardedKey))) emit onboardedChanged(onboarded_);
  if (assign(breakMinutes_, qint64{defaults_.integerValue(kBreakMinutesKey)})) {
    emit breakMinutesChanged(breakMinutes_);
  }
  if (assign(keepDays_, qint64{defaults_.integerValue(kKeepDaysKey)})) {
    emit keepDaysChanged(keepDays_);
  }
  if (assign(excludedApps_, defaults_.stringList(kExcludedAppsKey).value_or(StringList{}))) {
    emit excludedAppsChanged(excludedApps_);
  }
  if (assign(excludedSites_, defaults_.stringList(kExcludedSitesKey).value_or(StringList{}))) {
    emit excludedSitesChanged(excludedSites_);
  }
  if (assign(neverInterrupt_, defaults_.stringList(kNeverInterruptKey).value_or(StringList{}))) {
    emit neverInterruptChanged(neverInterrupt_);
  }

  // "diagnostics" turned on the recording before it had its own setting.
  if (defaults_.boolValue(kDiagnosticsKey)) {
    defaults_.setBool(kRecordingKey, true);
    defaults_.remove(kDiagnosticsKey);
  }

  if (assign(recording_, defaults_.boolValue(kRecordingKey))) emit recordingChanged(recording_);
  if (assign(sharing_, defaults_.boolValue(kSharingKey))) emit sharingChanged(sharing_);
  if (assign(sharedMoments_, qint64{defaults_.integerValue(kSharedMomentsKey)})) {
    emit sharedMomentsChanged(sharedMoments_);
  }
  if (assign(waitForAgents_, defaults_.boolValue(kWaitForAgentsKey))) {
    emit waitForAgentsChanged(waitForAgents_);
  }
  if (assign(promptOnChat_, defaults_.boolValue(kPromptOnChatKey))) {
    emit promptOnChatChanged(promptOnChat_);
  }

  // A stored value that is not a date is removed rather than kept; a date is left as it is, so
  // that a start writes nothing (a settings folder that takes no writes says nothing then).
  const std::optional<Date> answered = defaults_.date(kQuestionAnsweredKey);
  if (!answered) defaults_.remove(kQuestionAnsweredKey);
  if (assign(questionAnswered_, answered)) emit questionAnsweredChanged(answered);
  windowFrame_ = readFrame(defaults_.stringList(kWindowFrameKey));
}

void Prefs::setOnboarded(bool value) {
  defaults_.setBool(kOnboardedKey, value);
  if (assign(onboarded_, value)) emit onboardedChanged(onboarded_);
}

void Prefs::setBreakMinutes(qint64 minutes) {
  defaults_.setInteger(kBreakMinutesKey, minutes);
  if (assign(breakMinutes_, minutes)) emit breakMinutesChanged(breakMinutes_);
}

void Prefs::setKeepDays(qint64 days) {
  defaults_.setInteger(kKeepDaysKey, days);
  if (assign(keepDays_, days)) emit keepDaysChanged(keepDays_);
}

void Prefs::setExcludedApps(const StringList& ids) {
  defaults_.setStringList(kExcludedAppsKey, ids);
  if (assign(excludedApps_, ids)) emit excludedAppsChanged(excludedApps_);
}

void Prefs::setExcludedSites(const StringList& hosts) {
  defaults_.setStringList(kExcludedSitesKey, hosts);
  if (assign(excludedSites_, hosts)) emit excludedSitesChanged(excludedSites_);
}

void Prefs::setNeverInterrupt(const StringList& scopes) {
  defaults_.setStringList(kNeverInterruptKey, scopes);
  if (assign(neverInterrupt_, scopes)) emit neverInterruptChanged(neverInterrupt_);
}

void Prefs::setRecording(bool value) {
  defaults_.setBool(kRecordingKey, value);
  if (assign(recording_, value)) emit recordingChanged(recording_);
}

void Prefs::setSharing(bool value) {
  defaults_.setBool(kSharingKey, value);
  if (assign(sharing_, value)) emit sharingChanged(sharing_);
}

void Prefs::setSharedMoments(qint64 count) {
  defaults_.setInteger(kSharedMomentsKey, count);
  if (assign(sharedMoments_, count)) emit sharedMomentsChanged(sharedMoments_);
}

void Prefs::setWaitForAgents(bool value) {
  defaults_.setBool(kWaitForAgentsKey, value);
  if (assign(waitForAgents_, value)) emit waitForAgentsChanged(waitForAgents_);
}

void Prefs::setPromptOnChat(bool value) {
  defaults_.setBool(kPromptOnChatKey, value);
  if (assign(promptOnChat_, value)) emit promptOnChatChanged(promptOnChat_);
}

void Prefs::setQuestionAnswered(std::optional<Date> date) {
  if (date && !date->isFinite()) date.reset();
  if (date) {
    defaults_.setDate(kQuestionAnsweredKey, *date);
  } else {
    defaults_.remove(kQuestionAnsweredKey);
  }
  if (assign(questionAnswered_, date)) emit questionAnsweredChanged(date);
}

void Prefs::setWindowFrame(const QRect& frame) {
  if (frame.isEmpty()) return;
  defaults_.setStringList(kWindowFrameKey,
                          {std::to_string(frame.x()), std::to_string(frame.y()),
                           std::to_string(frame.width()), std::to_string(frame.height())});
  windowFrame_ = frame;
}

bool Prefs::launchAtLogin() const { return loginItem_.isEnabled(); }

void Prefs::setLaunchAtLogin(bool enabled) {
  const bool before = loginItem_.isEnabled();
  loginItem_.setEnabled(enabled);
  const bool after = loginItem_.isEnabled();
  if (after != before) emit launchAtLoginChanged(after);
}

void Prefs::editList(std::string_view item, bool add, const char* key, StringList& list,
                     void (Prefs::*changed)(const StringList&)) {
  const std::string entry(item);
  if (add) {
    defaults_.addToList(key, entry);
  } else {
    defaults_.removeFromList(key, entry);
  }
  list = defaults_.stringList(key).value_or(StringList{});
  emit(this->*changed)(list);
}

void Prefs::appendExcludedApp(std::string id) {
  editList(id, true, kExcludedAppsKey, excludedApps_, &Prefs::excludedAppsChanged);
}

void Prefs::removeExcludedApp(std::string id) {
  editList(id, false, kExcludedAppsKey, excludedApps_, &Prefs::excludedAppsChanged);
}

void Prefs::appendExcludedSite(std::string host) {
  editList(host, true, kExcludedSitesKey, excludedSites_, &Prefs::excludedSitesChanged);
}

void Prefs::removeExcludedSite(std::string host) {
  editList(host, false, kExcludedSitesKey, excludedSites_, &Prefs::excludedSitesChanged);
}

void Prefs::appendNeverInterrupt(std::string scope) {
  editList(scope, true, kNeverInterruptKey, neverInterrupt_, &Prefs::neverInterruptChanged);
}

void Prefs::removeNeverInterrupt(std::string scope) {
  editList(scope, false, kNeverInterruptKey, neverInterrupt_, &Prefs::neverInterruptChanged);
}

bool Prefs::listsUnknown() const { return defaults_.unread(); }

bool Prefs::isExcludedApp(std::string_view bundleID) const {
  return listsUnknown() || bundleID == kApplicationID || contains(hiddenExclusions(), bundleID) ||
         contains(excludedApps_, bundleID);
}

bool Prefs::isExcludedHost(std::string_view host) const {
  if (listsUnknown()) return true;
  const std::string key = siteKey(host);
  if (key.empty()) return false;
  for (const std::string& entry : excludedSites_) {
    const std::string site = siteKey(entry);
    if (site.empty()) continue;
    if (key == site) return true;
    if (key.size() > site.size() && key.ends_with(site) &&
        key[key.size() - site.size() - 1] == '.') {
      return true;
    }
  }
  return false;
}

QString Prefs::shortLength(qint64 minutes) {
  constexpr qint64 kMinutesPerHour = 60;
  if (minutes % kMinutesPerHour == 0) return QString::number(minutes / kMinutesPerHour) + u'h';
  return QString::number(minutes) + u'm';
}

}  // namespace qb
