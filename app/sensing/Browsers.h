// Browsers: the browsers whose front tab the program reads, how it names one of their tabs, and
// the few ways it steers a tab: pointing it at another address, closing it, or bringing it forward.
//
// A browser is known by its desktop-file id. Each kind keeps one fixed id as its raw value, the key
// of every per-browser table, and recognises the Linux ids of its programs as well.
//
// Firefox and the Chromium family are both read through the accessibility bus: the tab's title is
// the shown page's name, its address the page's document address (Firefox's DocURL, Chromium's
// URI; Chromium's address bar drops the scheme, so the bar's text is never taken as the address).
// Neither offers a way to address one of its tabs from outside, so every TabRef here is
// (kind, 0, 0): a tab is found again by its title among the window's page tabs (firefoxTab), and
// select() presses it through the bus. Steering types into the window's address bar with
// synthetic keys, and only while that window holds the focus: a key meant for a browser never
// lands in another program. Reads need no permission beyond the accessibility bus itself, so
// `automation` is kept for those who show it and is not consulted here.
//
// All operations run on the main thread; none throws. Failures read as none or false; a redirect
// or a close that gives up also says why in the log, since the user asked for that tab to go.

#pragma once

#include <sys/types.h>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Runtime.h"
#include "base/Url.h"
#include "platform/AXElement.h"
#include "sensing/AX.h"
#include "sensing/Access.h"

namespace qb {

class KeyPoster;

enum class BrowserKind { safari, chrome, firefox };

inline constexpr std::array<BrowserKind, 3> kAllBrowserKinds = {
    BrowserKind::safari, BrowserKind::chrome, BrowserKind::firefox};

// "com.apple.Safari", "com.google.Chrome" or "org.mozilla.firefox".
std::string_view rawValue(BrowserKind kind);
// "Safari", "Chrome" or "Firefox": the family's name in recorded rows.
std::string_view displayName(BrowserKind kind);
// The kind whose raw value, or one of whose Linux desktop-file ids ("firefox-esr", "chromium",
// "google-chrome" and the other Chromium-family browsers), is exactly text; absent otherwise.
std::optional<BrowserKind> parseBrowserKind(std::string_view text);
// The Linux desktop-file ids of the kind's programs; empty for a kind with no Linux build.
std::vector<std::string_view> desktopFileIDs(BrowserKind kind);

// A tab as the browser itself names it; both numbers are 0 where the browser has no such number.
struct TabRef {
  BrowserKind browser = BrowserKind::firefox;
  int windowID = 0;
  int tab = 0;
  friend bool operator==(const TabRef&, const TabRef&) = default;
};

// What reading a browser's front tab gives.
struct TabInfo {
  std::string title;  // empty when the browser gave none
  std::optional<Url> url;
  std::optional<TabRef> ref;
  friend bool operator==(const TabInfo&, const TabInfo&) = default;
};

namespace Browsers {

// How many elements a search of a browser window examines, for its page or its address bar.
inline constexpr int kWindowSearchNodes = 400;
// How many elements the search for the address bar examines inside one toolbar.
inline constexpr int kToolbarSearchNodes = 100;
// The most windows whose page holder and address bar are remembered; past it the oldest window is
// forgotten.
inline constexpr size_t kMaxRememberedWindows = 32;
// How long the address bar may take to take the focus and select all it holds after the key that
// gives it the focus, and to show the page's address again after a key that undoes an edit.
inline constexpr Duration kBarFocusWait = 0.5;
// How many times the bar is given the focus and the address typed before a redirect gives up: a
// key the browser dropped, or a bar that the page's own load set again as the address was typed,
// spoils one try.
inline constexpr int kTypingTries = 3;
// How long the bar may take to show all that was typed into it.
inline constexpr Duration kTypedWait = 2.0;
// How many times Escape is pressed to put back a bar that never held the address alone: the first
// press closes the list of suggestions, the next undoes the edit.
inline constexpr int kPutBackKeys = 3;
// How long after Return a redirected tab is looked at again.
inline constexpr Duration kRedirectWait = 0.6;
// How much longer a redirected tab that does not yet show its new host is watched, and how often
// it is looked at meanwhile: a page on a slow host, or a browser on a busy machine, commits later.
inline constexpr Duration kArrivalWait = 10.0;
inline constexpr Duration kArrivalInterval = 0.25;
// How long a window that is to be sent keys may take to hold the focus again, and how often it is
// looked at meanwhile: the browser may hold the focus only some time after the prompt goes (a
// window manager on a busy machine, another window the user touched). Kept short, since a tab
// that closes long after the answer, when the user may be elsewhere, would surprise.
inline constexpr Duration kFocusWait = 3.0;
inline constexpr Duration kFocusInterval = 0.05;
// How long closeTab waits for the tab to go.
inline constexpr Duration kCloseWait = 1.0;
// How often a wait for the browser looks again.
inline constexpr Duration kPollInterval = 0.02;

// Each browser's access as the app coordinator last learned it; a browser without an entry counts
// as not granted. Written only by the coordinator. Lives for the process; main thread only.
std::map<BrowserKind, Access>& automation();

// The front tab of a browser window: the shown page's name, its address (none when unreadable)
// and TabRef(kind, 0, 0); none without a window or without a shown page (a browser that publishes
// no tree, or Chromium started without its accessibility flag). `pid` is not used by reading.
std::optional<TabInfo> read(BrowserKind kind, pid_t pid, const AXElement& window);

// Points the window's front tab at `to`, if it still shows `expected` and the window holds the
// focus. The address bar is given the focus and, once it holds it with all its text selected, the
// address is typed; Return is pressed only once the bar holds that address and nothing else, read
// back from it, and still holds the focus. A try that does not get there is made again, up to
// kTypingTries in all; then nothing is sent, and a bar left holding other text is put back with
// Escape, so that the tab stays as it was. Once the address is sent, the steered tab's page is
// looked at after kRedirectWait, and every kArrivalInterval for up to kArrivalWait more. `done` is
// called once, on the main thread through `timers`: with true as soon as that tab shows a page on
// `to`'s host (compared without regard to case; an address without a host never counts as reached),
// with false when the wait ends without it, and with false when nothing was sent.
void redirect(KeyPoster& keys, Timers& timers, const TabRef& tab, const Url& expected,
              const Url& to, pid_t pid, const AXElement& window,
              std::function<void(bool reached)> done);

// Whether an address bar's text shows `address` as the browsers show a page's address once nothing
// is typed into it: whole, or without its scheme, a leading "www." or the "/" of a bare host
// ("127.0.0.1:8765/page" for "http://127.0.0.1:8765/page").
bool showsAddress(const std::optional<std::string>& text, const Url& address);

// Whether the window holds the focus, so that keys posted now reach it.
bool holdsFocus(const AXElement& window);

// Calls `then` once, on the main thread through `timers`: with true as soon as the window holds
// the focus (at once, before answering, when it already does; otherwise it is looked at every
// kFocusInterval), with false when kFocusWait passes without it. Never blocks.
void whenFocused(Timers& timers, const AXElement& window, std::function<void(bool focused)> then);

// Closes the window's front tab if it still shows `url` and the window holds the focus; true when
// the tab went within kCloseWait (the window's title or the shown address changed). Blocks the
// caller meanwhile.
bool closeTab(KeyPoster& keys, const TabRef& tab, const Url& url, pid_t pid,
              const AXElement& window);

// Brings a page tab of `window` (found with firefoxTab) and the window to the front: the tab is
// pressed, as a user clicks it, then the window manager is asked to raise the window and give it
// the focus. False, with nothing raised, for an empty tab or one that cannot be pressed; false
// too when the window cannot be raised. (Chromium's tab list refuses to choose a tab through its
// Selection interface, while its tabs answer a press.)
bool select(const AXElement& tab, const AXElement& window);

// The window's address bar: the first text field or combo box inside one of its toolbars, within
// kWindowSearchNodes and kToolbarSearchNodes; empty when there is none.
AXElement addressBar(const AXElement& window);

// The element that holds the shown web page of a window: the page's scroll area when the page
// sits in one, else the page itself; empty when there is none within kWindowSearchNodes.
AXElement page(const AXElement& window);

// The test, for AX::find, that accepts a page tab whose name is `title`, alone or followed by the
// notes that the Chromium family adds after " - " once a tab has been open a while ("Report -
// Memory usage - 22.2 MB"). A tab whose own title goes on after " - " is taken too: the first
// such tab in the window's order wins.
AX::Predicate firefoxTab(std::string title);

// The page tab of `window` to go back to for a page titled `title`: a tab of exactly that name
// when there is one, so that another tab whose own title only begins with it is never chosen in
// its place; else the first that firefoxTab accepts. Empty when none is within kWindowSearchNodes.
AXElement workTab(const AXElement& window, const std::string& title);

// An address typed into an address bar, as the browser would take it: trimmed of blanks and tabs;
// none when empty, when it holds a blank, or when it has neither "." nor ":". Text with a scheme
// ("https://", but also "about:", "data:", "file:", "mailto:") is parsed as it stands; anything
// else, a host with a port ("localhost:3000") or with a user and password before it
// ("name:secret@example.com/a") included, gets "https://" in front.
std::optional<Url> parseAddress(std::optional<std::string_view> text);

}  // namespace Browsers

}  // namespace qb
