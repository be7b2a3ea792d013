// The rule at every saved record's boundary: a time or a number that is not finite, or a time
// constant that is not a positive finite number, is refused. The record stays as it was, and what
// it saves still reloads.

#include <gtest/gtest.h>

#include <limits>

#include "context/ContextTest.h"
#include "context/ProjectMemory.h"
#include "context/WorkContext.h"
#include "context/WorkSites.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using test::t0;
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

template <typename Record>
void expectUnchangedAndReloads(const Record& record, const Record& before) {
  EXPECT_TRUE(record == before);
  test::expectReloads(record);
}

TEST(RecordInputTest, RecordsRefuseWhatTheyCouldNotSave) {
  WorkContext context;
  context.credit("big", kMax, "Subject", std::nullopt, std::nullopt, t0);
  WorkSites sites;
  const Moment docs = test::page("https://docs.example.com/guide");
  const Moment fresh = test::page("https://new.example.com/");
  const Calendar utc = Calendar::inZone("UTC");
  sites.credit(docs, kMax, 1, 0, t0, utc);
  ProjectMemory memory;
  memory.observe({"Atlas"}, "Atlas plan", ProjectMemory::Source::site("docs.example.com"), t0);
  const WorkContext contextBefore = context;
  const WorkSites sitesBefore = sites;
  const ProjectMemory memoryBefore = memory;

  for (double bad : {std::numeric_limits<double>::quiet_NaN(), kInf, -kInf}) {
    const Date at = Date::fromReference(bad);
    context.credit("k", bad, std::nullopt, "label", std::nullopt, t0);
    context.credit("k", 1, std::nullopt, "label", std::nullopt, at);
    sites.credit(docs, bad, 1, 0, t0, utc);
    sites.credit(docs, 1, 1, 0, at, utc);
    sites.visit(fresh, at);
    sites.confirm(fresh, at);
    memory.observe({"Atlas", "Beacon"}, "Atlas", std::nullopt, at);
    memory.agentWorks("Cobalt", at);
    memory.assistantWorks("Cobalt", at);
    memory.confirm("Atlas plan", std::nullopt, at);
    // Time constants of zero or below are refused too.
    for (double constant : {bad, 0.0, -1.0}) {
      for (PositiveDuration* held : {&context.sessionHalfLife, &sites.timeConstant, &sites.halfLife,
                                     &sites.window, &memory.retention}) {
        *held = constant;
      }
    }
  }
  // Sums that would overflow.
  context.credit("big", kMax, "Other", "label", "site", t0);
  sites.credit(docs, kMax, 1, 0, t0, utc);
  expectUnchangedAndReloads(context, contextBefore);
  expectUnchangedAndReloads(sites, sitesBefore);
  expectUnchangedAndReloads(memory, memoryBefore);
}

}  // namespace
}  // namespace qb
