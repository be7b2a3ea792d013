// Redaction: which observations are conversations, and addresses scrubbed before they are stored.
//
// Two levels are told apart. Chat is consumer messaging: text messages, chat programs, chat web
// apps and the direct-message pages of social networks. Messaging is chat plus work messaging:
// mail and work chat, as programs and as web apps. The analyzer calls every messaging window
// communication; the policy treats chat specially; the recording stores only scrubbed addresses.

#pragma once

#include <optional>
#include <string>

#include "analysis/Moment.h"
#include "base/Url.h"

namespace qb::Redaction {

// The direct-message page prefix ("host/segment") that the moment's address lies in, if any.
std::optional<std::string> chatPage(const Moment& moment);
bool isChat(const Moment& moment);
bool isMessaging(const Moment& moment);

// The address as it may be stored: no user, password or fragment, and of the query only the items
// that carry a search or a media item. Absent for an absent address.
std::optional<std::string> url(const std::optional<Url>& address);

}  // namespace qb::Redaction
