#include <gtest/gtest.h>

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

TEST(PromptReasonTest, WithoutASiteTheProgramIsNamed) {
  // The name given wins over the moment's own, and the title plays no part.
  Moment game = window("org.gnome.Mines", "Mines - Best times and a long title", "gnome-mines");
  EXPECT_EQ(PromptReason::line(game, "Mines"), "Mines doesn't look like work.");
  EXPECT_EQ(PromptReason::line(window("steam", ""), "Steam"), "Steam doesn't look like work.");
  // Names come from other programs: ill-formed UTF-8 is repaired, never passed on.
  EXPECT_EQ(PromptReason::line(window("x", ""), "Bad\xFFName"),
            "Bad\uFFFDName doesn't look like work.");
  EXPECT_EQ(PromptReason::shortened("ok\xC3", 45), "ok\uFFFD");
}

TEST(PromptReasonTest, ATitleOfItsOwnIsQuotedWithoutTheSiteTail) {
  EXPECT_EQ(PromptReason::line(page("https://www.youtube.com/watch?v=1",
                                    "Ten cats that changed history - YouTube"),
                               "Firefox"),
            "\u201CTen cats that changed history\u201D doesn't look like work.");

  // Blanks (a no-break space, a tab) around what shortTitle leaves are trimmed.
  Moment spaced = page("https://news.example.org/a", "x");
  spaced.title = "\u00A0\tLocal team wins the final again\u00A0 | Example News";
  EXPECT_EQ(PromptReason::line(spaced, "Firefox"),
            "\u201CLocal team wins the final again\u201D doesn't look like work.");

  // A long title is shortened at a word boundary inside the quotes.
  EXPECT_EQ(PromptReason::line(page("https://blog.example.com/p",
                                    "Ten surprising facts about the deep ocean: why it matters"),
                               "Firefox"),
            "\u201CTen surprising facts about the deep ocean\u2026\u201D doesn't look like work.");
}

TEST(PromptReasonTest, OneWordVagueOrMessagingTitlesNameTheSite) {
  const std::string onYouTube = "This page on youtube.com doesn't look like work.";
  EXPECT_EQ(PromptReason::line(page("https://www.YouTube.com/", "Cats - YouTube"), "Firefox"),
            onYouTube);
  // Two words, but nothing beyond the site's own name.
  EXPECT_EQ(PromptReason::line(page("https://github.com/", "GitHub Home"), "Firefox"),
            "This page on github.com doesn't look like work.");
  // Conversations are never quoted, however telling their titles are.
  EXPECT_EQ(PromptReason::line(page("https://mail.google.com/mail/u/0",
                                    "Re: dinner plans on Friday - alice@example.com - Gmail"),
                               "Firefox"),
            "This page on mail.google.com doesn't look like work.");
  EXPECT_EQ(PromptReason::line(page("https://www.instagram.com/direct/t/1", "Sam Lee sent a photo"),
                               "Firefox"),
            "This page on instagram.com doesn't look like work.");
  // A line break is not trimmed but does separate words.
  Moment joined = page("https://www.example.net/", "x");
  joined.title = "Holiday\u2028photos";
  EXPECT_EQ(PromptReason::line(joined, "Firefox"),
            "\u201CHoliday\u2028photos\u201D doesn't look like work.");
}

TEST(PromptReasonTest, ShorteningCutsAtTheLastBlankAndDropsDanglingSeparators) {
  using PromptReason::shortened;
  const std::string fits = "Ten surprising facts about the deep sea floor";
  ASSERT_EQ(text::characterCount(fits), PromptReason::kTitleLimit);
  EXPECT_EQ(shortened(fits, PromptReason::kTitleLimit), fits);
  EXPECT_EQ(shortened(fits + "s", PromptReason::kTitleLimit),
            "Ten surprising facts about the deep sea\u2026");
  // The cut leaves "… sea -", and the dash goes with the blank.
  EXPECT_EQ(shortened("Ten surprising facts about the deep sea - floors", 45),
            "Ten surprising facts about the deep sea\u2026");

  // No blank in the prefix: all of it stays, less separators at its ends.
  EXPECT_EQ(shortened(std::string(50, 'x'), 45), std::string(45, 'x') + "\u2026");
  EXPECT_EQ(shortened("(" + std::string(43, 'a') + "/bbbb", 45), std::string(43, 'a') + "\u2026");
  // A prefix whose only blank is its first character leaves nothing but the ellipsis.
  EXPECT_EQ(shortened(" " + std::string(50, 'x'), 45), "\u2026");
  // Separators of every kind at the start go too.
  EXPECT_EQ(shortened("\u2014 \u2022\u00B7&,|\uFF1A\u2013 Breaking: a very long headline", 22),
            "Breaking: a\u2026");

  // Lengths are characters: a letter with a combining accent and a flag count one each.
  std::string accented;
  for (int i = 0; i < 12; ++i) accented += "e\u0301";
  EXPECT_EQ(shortened(accented, 12), accented);
  EXPECT_EQ(shortened(accented + "\U0001F1E9\U0001F1EA", 12), accented + "\u2026");
  // A blank carrying a combining mark is part of a word, not a place to cut.
  EXPECT_EQ(shortened("abc \u0301def ghij", 9), "abc \u0301def\u2026");
}

TEST(PromptReasonTest, SamePlaceIsTheSiteOrWithoutOneTheProgram) {
  using PromptReason::isSamePlace;
  Moment docs = page("https://www.Docs.Example.com/guide", "Guide");
  EXPECT_TRUE(isSamePlace(docs, page("https://docs.example.com/other", "Other")));
  EXPECT_TRUE(isSamePlace(docs, page("https://DOCS.EXAMPLE.COM/", "Other", "chromium")));
  EXPECT_FALSE(isSamePlace(docs, page("https://example.com/", "Other")));
  // A moment in front without an address is never on the work site, even in the same browser.
  EXPECT_FALSE(isSamePlace(docs, window("firefox", "Guide")));

  EXPECT_TRUE(isSamePlace(window("code", "main.cpp"), window("code", "other.cpp")));
  EXPECT_FALSE(isSamePlace(window("code", "main.cpp"), window("org.gnome.Terminal", "main.cpp")));
  // An address without a host falls back to the program.
  EXPECT_TRUE(isSamePlace(page("file:///home/me/notes.html", "Notes"), window("firefox", "Other")));
  EXPECT_FALSE(isSamePlace(page("file:///home/me/notes.html", "Notes"), window("code", "Other")));
}

}  // namespace
}  // namespace qb
