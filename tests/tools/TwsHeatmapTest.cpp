// tws heatmap end to end: the picture over the plan, its legend, surveys
// that give it little to go on, and command lines and outputs that fail.
#include "HeatmapImage.h"
#include "TwsRun.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"
#include "view/RssiScale.h"

#include <QImage>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::apRecord;
using test::ToolRun;

constexpr std::int32_t PlanWidth = 640;
constexpr std::int32_t PlanHeight = 480;

// The grey of testPlan at (x, y).
QRgb planAt(int x, int y) {
    const int grey = (x + 3 * y) % 256;
    return qRgb(grey, grey, grey);
}

QRgb overlaid(int x, int y, QRgb color) {
    const QRgb under = planAt(x, y);
    const auto mix = [](int a, int b) {
        return (a * (255 - tws::OverlayAlpha) + b * tws::OverlayAlpha + 127) / 255;
    };
    return qRgb(mix(qRed(under), qRed(color)), mix(qGreen(under), qGreen(color)),
                mix(qBlue(under), qBlue(color)));
}

QRgb bandColor(int band) {
    const RgbColor& c = RssiBands[static_cast<std::size_t>(band - 1)].brush;
    return qRgb(c.red, c.green, c.blue);
}

// True when the colour is painted somewhere in the top-left quarter, where
// the legend is.
bool inLegend(const QImage& picture, QRgb color) {
    for (int y = 0; y < picture.height() / 2; ++y) {
        for (int x = 0; x < picture.width() / 2; ++x) {
            if ((picture.pixel(x, y) & 0xffffffu) == (color & 0xffffffu))
                return true;
        }
    }
    return false;
}

class TwsHeatmap : public test::TwsTool {
protected:
    void SetUp() override { test::makeSite(site, test::testPlan(PlanWidth, PlanHeight)); }

    void survey(const std::vector<SurveyRecord>& records) {
        SiteResult<OpenedSite> opened = openSite(site);
        ASSERT_TRUE(opened);
        RecordList store;
        for (const SurveyRecord& record : records)
            test::appendRecord(store, record);
        ASSERT_TRUE(saveSiteData(site, opened->file, store, BlankSignature(), 0));
    }

    // Runs heatmap with the options and reads the picture back.
    QImage heatmap(const std::vector<std::string>& options, ToolRun* result = nullptr) {
        std::vector<std::string> args = {"heatmap", site, picture};
        args.insert(args.end(), options.begin(), options.end());
        const ToolRun ran = run(args);
        if (result)
            *result = ran;
        EXPECT_EQ(ran.status, 0) << ran.err;
        return QImage(QString::fromStdString(picture));
    }

    const std::string picture = dir.file("map.png");
};

TEST_F(TwsHeatmap, LaysTheBandsOverThePlanAndLeavesItWhereThereIsNoData) {
    survey({apRecord(500, 400, 1, -45), apRecord(560, 400, 1, -85)});
    ToolRun ran;
    const QImage map = heatmap({"--radius", "30"}, &ran);
    ASSERT_EQ(map.size(), QSize(PlanWidth, PlanHeight));
    // No progress bar and no notes when standard error is a file.
    EXPECT_EQ(ran.err, "");
    EXPECT_EQ(map.pixel(500, 400), overlaid(500, 400, bandColor(2)));
    EXPECT_EQ(map.pixel(560, 400), overlaid(560, 400, bandColor(6)));
    EXPECT_EQ(map.pixel(500, 429), overlaid(500, 429, bandColor(2)));
    for (const auto& [x, y] : {std::pair{500, 431}, {630, 10}, {400, 400}, {639, 479}})
        EXPECT_EQ(map.pixel(x, y), planAt(x, y)) << x << "," << y;
    for (int band = 1; band <= RssiBandCount; ++band)
        EXPECT_TRUE(inLegend(map, bandColor(band))) << "band " << band;
}

TEST_F(TwsHeatmap, ViridisKeepsTheStepsInOtherColours) {
    survey({apRecord(500, 400, 1, -45)});
    const QImage map = heatmap({"--palette", "viridis"});
    const QRgb secondStep = qRgb(0x7a, 0xd1, 0x51);
    EXPECT_EQ(map.pixel(500, 400), overlaid(500, 400, secondStep));
    EXPECT_TRUE(inLegend(map, secondStep));
    EXPECT_FALSE(inLegend(map, bandColor(1)));
}

TEST_F(TwsHeatmap, FewerCochannelNeighboursTakeTheBetterColour) {
    std::vector<SurveyRecord> records = {apRecord(400, 300, 1, -40)};
    for (std::uint8_t mac = 1; mac <= 5; ++mac)
        records.push_back(apRecord(550, 300, mac, static_cast<std::int16_t>(-40 - mac)));
    survey(records);
    const QImage cochannel = heatmap({"--metric", "cochannel", "--radius", "20"});
    EXPECT_EQ(cochannel.pixel(400, 300), overlaid(400, 300, bandColor(1)));
    EXPECT_EQ(cochannel.pixel(550, 300), overlaid(550, 300, bandColor(6)));
    // Counted the other way round, more access points are better.
    const QImage aps = heatmap({"--metric=aps", "--radius=20"});
    EXPECT_EQ(aps.pixel(400, 300), overlaid(400, 300, bandColor(4)));
    EXPECT_EQ(aps.pixel(550, 300), overlaid(550, 300, bandColor(1)));
}

TEST_F(TwsHeatmap, OnlyTheChosenNetworkCounts) {
    survey({apRecord(500, 400, 1, -45, "guest"), apRecord(500, 400, 2, -65, "staff")});
    const QImage staff = heatmap({"--ssid", "staff"});
    EXPECT_EQ(staff.pixel(500, 400), overlaid(500, 400, bandColor(4)));
    const QImage nobody = heatmap({"--ssid", "lobby", "--ssid", "kitchen"});
    EXPECT_EQ(nobody.pixel(500, 400), overlaid(500, 400, bandColor(6)));
}

// Surveys with little in them still make a map, with a word on stderr
// where the map may surprise.
TEST_F(TwsHeatmap, ThinSurveysStillMakeAMap) {
    struct Case {
        const char* what;
        std::vector<SurveyRecord> records;
        std::pair<int, int> at;
        std::optional<int> band; // nothing: the plan alone
        const char* note;
    };
    const Case cases[] = {
        {"no points", {}, {500, 400}, std::nullopt, "no survey points"},
        {"one point reaches the fallback radius", {apRecord(500, 300, 1, -55)}, {500, 399}, 3, ""},
        {"beyond the fallback radius", {apRecord(500, 300, 1, -55)}, {500, 401}, std::nullopt, ""},
        {"placeholders only",
         {test::committedPlaceholder(500, 400), test::committedPlaceholder(550, 400)},
         {520, 400},
         6,
         "no access point was heard"},
        {"one position twice",
         {apRecord(500, 400, 1, -45), test::committedPlaceholder(10, 10),
          apRecord(500, 400, 1, -65)},
         {500, 400},
         3,
         ""},
        {"a point off the plan", {apRecord(700, 400, 1, -45)}, {630, 400}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        survey(c.records);
        ToolRun ran;
        const QImage map = heatmap({}, &ran);
        const auto [x, y] = c.at;
        EXPECT_EQ(map.pixel(x, y), c.band ? overlaid(x, y, bandColor(*c.band)) : planAt(x, y));
        EXPECT_NE(ran.err.find(c.note), std::string::npos) << ran.err;
    }
}

TEST_F(TwsHeatmap, WrongCommandLinesExitWithUsage) {
    const std::vector<std::string> lines[] = {
        {"heatmap", site},
        {"heatmap", site, picture, "extra"},
        {"heatmap", site, picture, "--metric", "loudness"},
        {"heatmap", site, picture, "--radius", "0"},
        {"heatmap", site, picture, "--radius", "wide"},
        {"heatmap", site, picture, "--threshold", "-75.5"},
        {"heatmap", site, picture, "--mac", "00:11:22:33:44"},
        {"heatmap", site, picture, "--channel", "0"},
        {"heatmap", site, picture, "--palette", "grey"},
        {"heatmap", site, picture, "--colour", "red"},
        {"heatmap", site, picture, "--ssid"},
    };
    for (const std::vector<std::string>& args : lines) {
        const ToolRun ran = run(args);
        EXPECT_EQ(ran.status, 2) << args.back();
        EXPECT_NE(ran.err.find("Try 'tws --help'"), std::string::npos) << ran.err;
        EXPECT_FALSE(std::filesystem::exists(picture)) << args.back();
    }
}

TEST_F(TwsHeatmap, PictureThatCannotBeWrittenFailsWithTheReason) {
    survey({apRecord(500, 400, 1, -45)});
    const ToolRun full = run({"heatmap", site, "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(
        full.err.find("/dev/full: cannot write the picture: " + std::string(std::strerror(ENOSPC))),
        std::string::npos)
        << full.err;

    const std::string missing = dir.file("no-such-folder/map.png");
    const ToolRun nowhere = run({"heatmap", site, missing});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err.find(missing + ": cannot write the picture"), std::string::npos)
        << nowhere.err;

    const ToolRun noSite = run({"heatmap", dir.file("absent.tws"), picture});
    EXPECT_EQ(noSite.status, 1);
    EXPECT_FALSE(std::filesystem::exists(picture));
}

} // namespace
} // namespace marlow
