#include "analysis/Redaction.h"

#include <array>
#include <set>
#include <string_view>

#include "base/NoDestructor.h"
#include "base/Text.h"

namespace qb::Redaction {
namespace {

using Ids = std::set<std::string, std::less<>>;

// Desktop-file ids of chat programs, with the identifiers other desktops use for the same programs.
const Ids& chatApps() {
  static const NoDestructor<Ids> ids{
      "com.apple.MobileSMS", "com.hnc.Discord", "net.whatsapp.WhatsApp", "desktop.WhatsApp",
      "ru.keepcoder.Telegram", "org.telegram.desktop", "org.whispersystems.signal-desktop",
      "com.facebook.archon",
      // As packaged for Linux (Debian packages and Flathub).
      "discord", "com.discordapp.Discord", "telegram-desktop", "signal-desktop",
      "org.signal.Signal", "whatsapp-for-linux", "com.github.eneshecan.WhatsAppForLinux"};
  return *ids;
}

const Ids& workMessagingApps() {
  static const NoDestructor<Ids> ids{
      "com.apple.mail", "com.tinyspeck.slackmacgap", "com.microsoft.teams2", "com.microsoft.teams",
      "com.microsoft.Outlook",
      // As packaged for Linux: mail programs and work chat.
      "thunderbird", "org.mozilla.Thunderbird", "net.thunderbird.Thunderbird",
      "org.gnome.Evolution", "org.gnome.Geary", "org.kde.kmail2", "slack", "com.slack.Slack",
      "teams-for-linux", "com.github.IsmaelMartinez.teams_for_linux"};
  return *ids;
}

// Web versions of consumer chat services.
constexpr std::array<std::string_view, 4> kChatSites = {"web.whatsapp.com", "web.telegram.org",
                                                        "discord.com", "messenger.com"};

// Web mail (two services, four hosts) and web work chat (two services, three hosts).
constexpr std::array<std::string_view, 7> kWorkMessagingSites = {
    "mail.google.com", "outlook.live.com",    "outlook.office.com", "outlook.office365.com",
    "app.slack.com",   "teams.microsoft.com", "teams.live.com"};

// Direct-message pages of social networks: host, "/", one path segment.
constexpr std::array<std::string_view, 4> kChatPages = {
    "x.com/messages", "instagram.com/direct", "facebook.com/messages", "linkedin.com/messaging"};

// Query items that carry a search or a media item; every other item is dropped.
constexpr std::array<std::string_view, 8> kQueryKeys = {
    "q", "query", "search_query", "search", "k", "keywords", "v", "list"};

// host equals the entry or is a subdomain of it.
template <size_t N>
bool matchesDomain(std::string_view host, const std::array<std::string_view, N>& entries) {
  for (std::string_view entry : entries) {
    if (host == entry) return true;
    if (host.size() > entry.size() && host.ends_with(entry) &&
        host[host.size() - entry.size() - 1] == '.') {
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> chatPage(const Moment& moment) {
  std::optional<std::string> host = moment.host();
  if (!host) return std::nullopt;
  std::string page = *host + moment.url->path();
  for (std::string_view entry : kChatPages) {
    if (page.starts_with(entry) && (page.size() == entry.size() || page[entry.size()] == '/')) {
      return std::string(entry);
    }
  }
  return std::nullopt;
}

bool isChat(const Moment& moment) {
  if (chatApps().count(moment.bundleID) > 0) return true;
  if (chatPage(moment)) return true;
  std::optional<std::string> host = moment.host();
  return host && matchesDomain(*host, kChatSites);
}

bool isMessaging(const Moment& moment) {
  if (isChat(moment)) return true;
  if (workMessagingApps().count(moment.bundleID) > 0) return true;
  std::optional<std::string> host = moment.host();
  return host && matchesDomain(*host, kWorkMessagingSites);
}

std::optional<std::string> url(const std::optional<Url>& address) {
  if (!address) return std::nullopt;
  UrlComponents parts = address->components();
  parts.user.reset();
  parts.password.reset();
  parts.fragment.reset();
  std::vector<UrlQueryItem> kept;
  for (UrlQueryItem& item : parts.queryItems()) {
    std::string name = text::lowercased(percentDecode(item.name));
    for (std::string_view key : kQueryKeys) {
      if (name == key) {
        kept.push_back(std::move(item));
        break;
      }
    }
  }
  if (kept.empty()) {
    parts.setQueryItems(std::nullopt);
  } else {
    parts.setQueryItems(kept);
  }
  return parts.string();
}

}  // namespace qb::Redaction
