// The check that keeps a save's regions (the header, the floor plan, the
// signature block and the survey data, which runs to the end of the file)
// clear of each other: every pair of regions, each running into the other
// from before and from after.
#include "sitefile/SiteFormat.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

constexpr std::uint64_t Plan = 5000; // the plan's size in every layout here

TEST(SiteLayout, RegionsThatTouchAreAcceptedInEitherOrder) {
    const SiteLayout layouts[] = {
        {150, 150, Plan, 150 + Plan, 150 + Plan + SignatureBlockSize},
        {150, 150 + SignatureBlockSize, Plan, 150, 150 + SignatureBlockSize + Plan},
        {200, 200000, Plan, 300000, 500000},
    };
    for (const SiteLayout& l : layouts)
        EXPECT_TRUE(checkLayout(l)) << l.bitmapOffset << " " << l.signatureOffset;
}

TEST(SiteLayout, EveryPairOfRegionsThatOverlapIsRefusedWhicheverComesFirst) {
    // Far apart, these leave room to move one region into another alone.
    const std::tuple<const char*, SiteLayout, const char*> cases[] = {
        {"header into plan", {200001, 200000, Plan, 300000, 500000}, "plan overlaps the header"},
        {"plan into header", {150, 149, Plan, 300000, 500000}, "plan overlaps the header"},
        {"header into signature",
         {100001, 200000, Plan, 100000, 500000},
         "signature block overlaps the header"},
        {"signature into header",
         {150, 200000, Plan, 149, 500000},
         "signature block overlaps the header"},
        // A header this long covers the plan too, which is named first.
        {"header into data", {500001, 200000, Plan, 300000, 500000}, "overlaps the header"},
        {"data into header", {150, 200000, Plan, 300000, 149}, "runs into the survey data"},
        {"plan into signature",
         {150, 295001, Plan, 300000, 500000},
         "signature block overlaps the floor plan"},
        {"signature into plan",
         {150, 200000, Plan, 200001 - SignatureBlockSize, 500000},
         "signature block overlaps the floor plan"},
        {"plan into data",
         {150, 200000, Plan, 100000, 204999},
         "floor plan runs into the survey data"},
        {"data into plan",
         {150, 200000, Plan, 100000, 199999},
         "floor plan runs into the survey data"},
        {"signature into data",
         {150, 200000, Plan, 300000, 379999},
         "signature block runs into the survey data"},
        {"data into signature",
         {150, 200000, Plan, 300000, 299999},
         "signature block runs into the survey data"},
    };
    for (const auto& [what, layout, why] : cases) {
        const Result<void> checked = checkLayout(layout);
        ASSERT_FALSE(checked) << what;
        EXPECT_NE(checked.error().message.find(why), std::string::npos)
            << what << ": " << checked.error().message;
    }
}

} // namespace
} // namespace marlow
