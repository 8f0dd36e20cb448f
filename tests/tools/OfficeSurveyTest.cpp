// The sample survey: officesurvey's copy of the sample site loads with a
// point at each stop of its walk, and is the same file every time.
#include "SiteFixtures.h"
#include "TempDir.h"
#include "sitefile/SiteReader.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/wait.h>

namespace marlow {
namespace {

int survey(const std::string& out) {
    const std::string command =
        std::string("'") + OFFICESURVEY_BINARY + "' '" + OFFICE_SITE + "' '" + out + "' >/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OfficeSurvey, SurveyLoadsWithAPointAtEveryStopAndIsTheSameBytesEachTime) {
    test::TempDir dir;
    const std::string first = dir.file("first.tws");
    const std::string second = dir.file("second.tws");
    ASSERT_EQ(survey(first), 0);
    ASSERT_EQ(survey(second), 0);
    EXPECT_EQ(test::readBytes(first), test::readBytes(second));

    const SiteResult<OpenedSite> opened = openSite(first);
    ASSERT_TRUE(opened) << opened.error().message;
    EXPECT_FALSE(opened->points.endsEarly);
    // One point at each stop, every stop a place of its own, and something
    // heard at each: the office's radio reaches the whole floor.
    std::set<std::pair<std::int32_t, std::int32_t>> places;
    for (const PointMark& mark : opened->points.marks) {
        places.emplace(mark.x, mark.y);
        EXPECT_GT(mark.rssi, NoSignalRssi) << mark.x << "," << mark.y;
    }
    EXPECT_EQ(opened->points.marks.size(), 46u);
    EXPECT_EQ(places.size(), opened->points.marks.size());
    EXPECT_GT(opened->points.records->size(), 3 * opened->points.marks.size());
}

} // namespace
} // namespace marlow
