#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "base/Text.h"
#include "policy/PromptReason.h"

namespace qb {
namespace {

Moment page(std::string_view address, std::string_view title, std::string_view bundle = "firefox") {
  return Moment(7, Date(), "Firefox", bundle, title, Url::parse(address));
}

Moment window(std::string_view bundle, std::string_view title, std::string_view app = "App") {
  return Moment(7, Date(), app, bundle, title);
}

TEST(PromptReasonTest, TheLineQuotesATitleOfItsOwnElseNamesTheSiteOrTheProgram) {
  Moment spaced = page("https://news.example.org/a", "x"),
         joined = page("https://www.example.net/", "x");
  spaced.title = "\u00A0\tLocal team wins the final again\u00A0 | Example News";
  joined.title = "Holiday\u2028photos";
  const std::vector<std::tuple<Moment, std::string, std::string>> cases = {
      // Without a site, the program by the name given (repaired), whatever the title.
      {window("org.gnome.Mines", "Mines - Best times and a long title", "gnome-mines"), "Mines",
       "Mines"},
      {window("steam", ""), "Steam", "Steam"},
      {window("x", ""), "Bad\xFFName", "Bad\uFFFDName"},
      // A title of its own, without the site's tail, trimmed of blanks (a no-break space, a tab)
      // and shortened at a word; a line break is no blank but separates words.
      {page("https://www.youtube.com/watch?v=1", "Ten cats that changed history - YouTube"),
       "Firefox", "\u201CTen cats that changed history\u201D"},
      {spaced, "Firefox", "\u201CLocal team wins the final again\u201D"},
      {page("https://blog.example.com/p",
            "Ten surprising facts about the deep ocean: why it matters"),
       "Firefox", "\u201CTen surprising facts about the deep ocean\u2026\u201D"},
      {joined, "Firefox", "\u201CHoliday\u2028photos\u201D"},
      // One word, nothing beyond the site's own name, or a conversation: the site.
      {page("https://www.YouTube.com/", "Cats - YouTube"), "Firefox", "This page on youtube.com"},
      {page("https://github.com/", "GitHub Home"), "Firefox", "This page on github.com"},
      {page("https://mail.google.com/mail/u/0",
            "Re: dinner plans on Friday - alice@example.com - Gmail"),
       "Firefox", "This page on mail.google.com"},
      {page("https://www.instagram.com/direct/t/1", "Sam Lee sent a photo"), "Firefox",
       "This page on instagram.com"},
  };
  for (const auto& [moment, app, reason] : cases) {
    EXPECT_EQ(PromptReason::line(moment, app), reason + " doesn't look like work.") << reason;
  }
}

TEST(PromptReasonTest, ShorteningCutsAtTheLastBlankAndDropsDanglingSeparators) {
  const std::string fits = "Ten surprising facts about the deep sea floor";
  ASSERT_EQ(text::characterCount(fits), PromptReason::kTitleLimit);
  std::string accented;  // twelve characters of a letter and a combining accent
  for (int i = 0; i < 12; ++i) accented += "e\u0301";
  const std::vector<std::tuple<std::string, size_t, std::string>> cases = {
      {fits, PromptReason::kTitleLimit, fits},
      {fits + "s", PromptReason::kTitleLimit, "Ten surprising facts about the deep sea\u2026"},
      // The cut leaves "... sea -", and the dash goes with the blank.
      {"Ten surprising facts about the deep sea - floors", 45,
       "Ten surprising facts about the deep sea\u2026"},
      // No blank in the prefix: all of it stays, less separators at its ends.
      {std::string(50, 'x'), 45, std::string(45, 'x') + "\u2026"},
      {"(" + std::string(43, 'a') + "/bbbb", 45, std::string(43, 'a') + "\u2026"},
      // A prefix whose only blank is its first character leaves nothing but the ellipsis.
      {" " + std::string(50, 'x'), 45, "\u2026"},
      {"\u2014 \u2022\u00B7&,|\uFF1A\u2013 Breaking: a very long headline", 22,
       "Breaking: a\u2026"},
      // Lengths are characters: a letter with a combining accent and a flag count one each.
      {accented, 12, accented},
      {accented + "\U0001F1E9\U0001F1EA", 12, accented + "\u2026"},
      // A blank carrying a combining mark is part of a word, not a place to cut.
      {"abc \u0301def ghij", 9, "abc \u0301def\u2026"},
      {"ok\xC3", 45, "ok\uFFFD"},  // text that fits is repaired
  };
  for (const auto& [text, limit, shortened] : cases) {
    EXPECT_EQ(PromptReason::shortened(text, limit), shortened) << text;
  }
}

TEST(PromptReasonTest, SamePlaceIsTheSiteOrWithoutOneTheProgram) {
  const Moment docs = page("https://www.Docs.Example.com/guide", "Guide");
  const Moment file = page("file:///home/me/notes.html", "Notes");  // no host: its program
  const std::vector<std::tuple<Moment, Moment, bool>> cases = {
      {docs, page("https://docs.example.com/other", "Other"), true},
      {docs, page("https://DOCS.EXAMPLE.COM/", "Other", "chromium"), true},
      {docs, page("https://example.com/", "Other"), false},
      // Without an address the moment in front is never on the work site, even in its browser.
      {docs, window("firefox", "Guide"), false},
      {window("code", "main.cpp"), window("code", "other.cpp"), true},
      {window("code", "main.cpp"), window("org.gnome.Terminal", "main.cpp"), false},
      {file, window("firefox", "Other"), true},
      {file, window("code", "Other"), false},
  };
  for (const auto& [work, inFront, same] : cases) {
    EXPECT_EQ(PromptReason::isSamePlace(work, inFront), same) << work.title << " " << inFront.title;
  }
}

}  // namespace
}  // namespace qb
