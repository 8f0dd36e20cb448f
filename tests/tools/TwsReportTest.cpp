// tws report end to end: the PDF read back by pdftotext and pdftoppm, the
// HTML page read as text, awkward surveys, and outputs that cannot be
// written.
#include "ReportFiles.h"
#include "view/RssiScale.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::apRecord;
using test::hasLine;
using test::ToolRun;
using test::TwsTool;

using Pages = std::vector<std::vector<std::string>>;

bool anyPageHas(const Pages& pages, const std::string& line) {
    return std::any_of(pages.begin(), pages.end(),
                       [&](const auto& page) { return hasLine(page, line); });
}

class TwsReport : public TwsTool {
protected:
    // Three points: A hears two access points, B one, the third nothing.
    // One SSID holds a byte that is not UTF-8 and markup; B's name has
    // characters HTML must escape.
    void saveKnownSurvey() {
        RecordList store;
        for (const SurveyRecord& r : {
                 apRecord(2, 2, 1, -60, "office", 1, "A"),
                 apRecord(2, 2, 2, -70, "\xff<b>", 6, "A"),
                 apRecord(6, 3, 1, -50, "office", 1, "B&'\""),
                 test::committedPlaceholder(10, 5),
             })
            test::appendRecord(store, r);
        test::saveSurvey(site, store);
    }

    Pages report(const std::vector<std::string>& options = {}) {
        std::vector<std::string> args{"report", site, pdf};
        args.insert(args.end(), options.begin(), options.end());
        const ToolRun result = run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        return test::pdfPages(dir, pdf);
    }

    const std::string pdf = dir.file("report.pdf");
};

TEST_F(TwsReport, TablesHoldTheSurveysRows) {
    saveKnownSurvey();
    const Pages pages = report();
    for (const char* line : {
             "Site file: site.tws",
             "Saved: 2023-11-14T22:13:20Z",
             "Signed off on 2023-11-14",
             "Floor plan: 13 x 7 pixels",
             "Survey points: 3 (nothing heard at 1)",
             "Access points: 2",
             "SSIDs: 2",
             "00:11:00:00:00:01 office 1 -50 dBm 2 2: B&'\"",
             "00:11:00:00:00:02 \\xff<b> 6 -70 dBm 1 1: A",
             "1 A 2 2 2 -60 dBm",
             "2 B&'\" 6 3 1 -50 dBm",
             "3 FILL 10 5 0 none",
             "1 2.4 GHz 1 0",
             "6 2.4 GHz 1 0",
             "office 2",
             "\\xff<b> 1",
             "Coverage: strongest signal",
             "Coverage: second-strongest signal",
             "Coverage: SSID office",
             "Coverage: SSID \\xff<b>",
             "The strongest signal meets -67 dBm at 2 of 3 points.",
         })
        EXPECT_TRUE(anyPageHas(pages, line)) << line;
}

TEST_F(TwsReport, OptionsSetTheRequirementAndTheSsidPages) {
    saveKnownSurvey();
    const Pages pages = report({"--requirement", "-55", "--max-ssids", "1"});
    EXPECT_TRUE(anyPageHas(pages, "The strongest signal meets -55 dBm at 1 of 3 points."));
    EXPECT_TRUE(anyPageHas(pages, "Heard at 2 of 3 points; at -55 dBm or better at 1."));
    EXPECT_TRUE(anyPageHas(pages, "Coverage: SSID office"));
    EXPECT_FALSE(anyPageHas(pages, "Coverage: SSID \\xff<b>"));
}

TEST_F(TwsReport, HtmlHoldsTheSameRowsAndNoMarkupFromTheSite) {
    saveKnownSurvey();
    const std::string htmlPath = dir.file("report.html");
    ASSERT_EQ(run({"report", site, pdf, "--html", htmlPath}).status, 0);
    const test::Bytes bytes = test::readBytes(htmlPath);
    const std::string html(bytes.begin(), bytes.end());
    for (const char* part : {
             "<tr><td>00:11:00:00:00:01</td><td>office</td><td>1</td><td>-50 dBm</td>"
             "<td>2</td><td>2: B&amp;&#39;&quot;</td></tr>",
             "<tr><td>3</td><td>FILL</td><td>10</td><td>5</td><td>0</td><td>none</td></tr>",
             "<h2>Coverage: SSID \\xff&lt;b&gt;</h2>",
             "<dd>2023-11-14T22:13:20Z</dd>",
             "<img class=\"signature\" alt=\"Signature\" src=\"data:image/png;base64,",
         })
        EXPECT_NE(html.find(part), std::string::npos) << part;
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.find('\xff'), std::string::npos);
    // Every picture is inline: nothing is fetched from anywhere.
    std::size_t sources = 0;
    for (std::size_t at = html.find(" src=\""); at != std::string::npos;
         at = html.find(" src=\"", at + 1)) {
        EXPECT_EQ(html.compare(at + 6, 22, "data:image/png;base64,"), 0);
        ++sources;
    }
    // The signature, the survey points, the strongest and second-strongest
    // signal, two SSIDs and the channels.
    EXPECT_EQ(sources, 7u);
}

// 150 points fill several pages of the point table; each of those pages
// starts with the header row, and every row is there once.
TEST_F(TwsReport, LongTablesRepeatTheirHeaderOnEachPage) {
    RecordList store;
    for (int i = 1; i <= 150; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "P%03d", i);
        test::appendRecord(store, apRecord(i % 13, i % 7, 1, -40 - i % 50, "office", 1, name));
    }
    test::saveSurvey(site, store);
    const Pages pages = report({"--max-ssids", "0"});
    std::size_t rows = 0;
    std::size_t pagesWithRows = 0;
    for (const auto& page : pages) {
        const auto count = std::count_if(page.begin(), page.end(), [](const std::string& line) {
            return line.find(" P") != std::string::npos && line.find("dBm") != std::string::npos &&
                   line.find("00:11") == std::string::npos;
        });
        if (count == 0)
            continue;
        ++pagesWithRows;
        rows += static_cast<std::size_t>(count);
        EXPECT_TRUE(hasLine(page, "Point Name X Y APs heard Best RSSI"));
    }
    EXPECT_EQ(rows, 150u);
    EXPECT_GE(pagesWithRows, 3u);
    EXPECT_TRUE(anyPageHas(pages, "Points (continued)"));
    EXPECT_TRUE(anyPageHas(pages, "150 P150 7 3 1 -40 dBm"));
}

// A plain plan, 100 x 50, a point heard at (75, 25) and one where nothing
// was heard at (20, 10): on the rendered survey-points page each disc
// sits where its point does on the plan, in its colour.
TEST_F(TwsReport, SurveyPointsPageShowsDiscsWhereThePointsAre) {
    SiteBitmap plan;
    plan.width = 100;
    plan.height = 50;
    plan.topDown = true;
    plan.colorTable[0] = 200; // blue, green, red: pale yellow
    plan.colorTable[1] = 255;
    plan.colorTable[2] = 255;
    plan.pixels.assign(std::size_t{plan.rowStride()} * 50, 0);
    test::makeSite(site, plan);
    RecordList store;
    test::appendRecord(store, apRecord(75, 25, 1, -50));
    test::appendRecord(store, test::committedPlaceholder(20, 10));
    test::saveSurvey(site, store);
    report();

    const QImage page = test::pdfPagePicture(dir, pdf, 2, 100);
    ASSERT_FALSE(page.isNull());
    const auto close = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b)) <
               40;
    };
    // The plan's extent on the page: its pale yellow.
    QRect planArea;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (close(page.pixel(x, y), qRgb(255, 255, 200)))
                planArea |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_GT(planArea.width(), 200);
    EXPECT_NEAR(static_cast<double>(planArea.width()) / planArea.height(), 2.0, 0.05);
    const auto at = [&](double x, double y) {
        return page.pixel(planArea.left() + static_cast<int>(x * planArea.width() / 100),
                          planArea.top() + static_cast<int>(y * planArea.height() / 50));
    };
    EXPECT_TRUE(close(at(75.5, 25.5), 0xFF0050C8)) << std::hex << at(75.5, 25.5);
    EXPECT_TRUE(close(at(20.5, 10.5), 0xFF909090)) << std::hex << at(20.5, 10.5);
    EXPECT_TRUE(close(at(50, 40), qRgb(255, 255, 200)));
}

// Two points on a long, low plan, mirror images of each other about its
// middle, one strong and one weak: every pixel nearer the strong one is
// estimated at least half a dBm above the mean of the two and every other
// one as far below, so exactly half of the area meets that mean. On a
// taller plan the map's page shows the legend in the RSSI scale's colours.
TEST_F(TwsReport, CoverageMapsReportTheShareThatMeetsTheRequirement) {
    const auto survey = [&](std::int32_t width, std::int32_t height) {
        test::makeSite(site, test::testPlan(width, height));
        RecordList store;
        const std::int32_t middle = height / 2;
        test::appendRecord(store, apRecord(width / 2 - 50, middle, 1, -40, "office", 1, "strong"));
        test::appendRecord(store, apRecord(width / 2 + 49, middle, 2, -100, "office", 6, "weak"));
        test::saveSurvey(site, store);
    };
    survey(400, 20);
    const Pages pages = report({"--requirement", "-70"});
    const auto pageOf = [&](const std::string& title) {
        const auto found = std::find_if(pages.begin(), pages.end(),
                                        [&](const auto& page) { return hasLine(page, title); });
        return found == pages.end() ? std::vector<std::string>{} : *found;
    };
    // The default radius: 1.5 times the 99 pixels between the two. Only
    // one access point is heard at each point: no second signal anywhere.
    EXPECT_TRUE(hasLine(pageOf("Coverage: strongest signal"),
                        "50.0 % of the surveyed area (within 149 pixels of a point) meets "
                        "-70 dBm."));
    EXPECT_TRUE(
        hasLine(pageOf("Coverage: second-strongest signal"),
                "0.0 % of the surveyed area (within 149 pixels of a point) meets -70 dBm."));

    survey(400, 300);
    report();
    const QImage page = test::pdfPagePicture(dir, pdf, 3, 100);
    ASSERT_FALSE(page.isNull());
    for (const RssiBand& band : RssiBands) {
        const QRgb legend = qRgb(band.brush.red, band.brush.green, band.brush.blue);
        int seen = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                seen += std::abs(qRed(c) - qRed(legend)) + std::abs(qGreen(c) - qGreen(legend)) +
                                    std::abs(qBlue(c) - qBlue(legend)) <
                                30
                            ? 1
                            : 0;
            }
        }
        EXPECT_GT(seen, 20) << "band " << band.number;
    }
}

// Awkward surveys give a report that says what there is.
TEST_F(TwsReport, AwkwardSurveysGiveACompleteReport) {
    const struct {
        const char* name;
        std::vector<SurveyRecord> records;
        std::string expected;
    } cases[] = {
        {"no points", {}, "The strongest signal meets -67 dBm at 0 of 0 points."},
        {"one point", {apRecord(1, 1, 1, -40)}, "1 TEST 1 1 1 -40 dBm"},
        {"all placeholders",
         {test::committedPlaceholder(1, 1), test::committedPlaceholder(2, 2)},
         "Survey points: 2 (nothing heard at 2)"},
        {"outside the plan",
         {apRecord(500, 3, 1, -40), apRecord(-1, 3, 2, -40), apRecord(3, 3, 3, -40)},
         "2 of the points lie outside the floor plan and are not shown."},
        {"duplicate positions",
         {apRecord(2, 2, 1, -40, "a", 1, "A"), apRecord(3, 3, 1, -41, "a", 1, "B"),
          apRecord(2, 2, 1, -42, "a", 1, "C")},
         "Survey points: 3 (nothing heard at 0)"},
    };
    for (const auto& c : cases) {
        RecordList store;
        for (const SurveyRecord& r : c.records)
            test::appendRecord(store, r);
        test::makeSite(site);
        test::saveSurvey(site, store);
        EXPECT_TRUE(anyPageHas(report(), c.expected)) << c.name;
    }
    // Thousands of SSIDs, each heard by one access point.
    RecordList thousands;
    for (int i = 0; i < 3000; ++i) {
        SurveyRecord r = apRecord(i % 13, (i / 13) % 7, 1, -60, "net" + std::to_string(i));
        r.macAddr[4] = static_cast<std::uint8_t>(i >> 8);
        r.macAddr[5] = static_cast<std::uint8_t>(i);
        test::appendRecord(thousands, r);
    }
    test::makeSite(site);
    test::saveSurvey(site, thousands);
    const Pages many = report();
    EXPECT_TRUE(anyPageHas(many, "SSIDs: 3000"));
    EXPECT_TRUE(anyPageHas(many, "net999 1"));
}

// A site file cut short: the report and the other commands use the points
// before the cut and say that the rest is missing.
TEST_F(TwsReport, ASiteCutShortIsReportedAsSuch) {
    saveKnownSurvey();
    std::filesystem::resize_file(site, std::filesystem::file_size(site) - 10);
    const std::string missing =
        "The site file ends early: 2 points were loaded; the rest is missing.";
    const ToolRun result = run({"report", site, pdf});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find(site + ": " + missing), std::string::npos) << result.err;
    EXPECT_TRUE(anyPageHas(test::pdfPages(dir, pdf), "Warning: " + missing));
    for (const char* command : {"info", "heatmap"}) {
        std::vector<std::string> args{command, site};
        if (std::string(command) == "heatmap")
            args.push_back(dir.file("map.png"));
        const ToolRun other = run(args);
        EXPECT_EQ(other.status, 0) << command;
        EXPECT_NE(other.err.find(missing), std::string::npos) << command << ": " << other.err;
    }
}

TEST_F(TwsReport, OutputThatCannotBeWrittenFailsAndLeavesNoFile) {
    saveKnownSurvey();
    const ToolRun full = run({"report", site, "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(
        full.err.find("/dev/full: cannot write the report: " + std::string(std::strerror(ENOSPC))),
        std::string::npos)
        << full.err;

    // Never over the site itself.
    const test::Bytes survey = test::readBytes(site);
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"report", site, site},
             std::vector<std::string>{"report", site, pdf, "--html", site},
         }) {
        const ToolRun over = run(args);
        EXPECT_EQ(over.status, 1);
        EXPECT_NE(over.err.find(site + ": is the site file itself"), std::string::npos) << over.err;
        EXPECT_EQ(test::readBytes(site), survey);
    }

    // Into a folder that does not exist: nothing is made. The HTML page is
    // written after the PDF, which stays whole when the page fails.
    const std::vector<std::string> before = dir.entries();
    const std::string missing = dir.file("missing/report");
    const ToolRun noFolder = run({"report", site, missing + ".pdf"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find(missing + ".pdf: cannot write the report: "), std::string::npos)
        << noFolder.err;
    EXPECT_EQ(dir.entries(), before);

    const ToolRun noHtml = run({"report", site, pdf, "--html", missing + ".html"});
    EXPECT_EQ(noHtml.status, 1);
    EXPECT_NE(noHtml.err.find(missing + ".html: cannot write the report: "), std::string::npos)
        << noHtml.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
    EXPECT_TRUE(anyPageHas(test::pdfPages(dir, pdf), "Access points: 2"));
}

TEST_F(TwsReport, BadOptionsAreUsageErrors) {
    const std::vector<std::string> cases[] = {
        {"--requirement", "strong"}, {"--requirement", "-121"},
        {"--requirement", "5"},      {"--max-ssids", "-1"},
        {"--max-ssids", "101"},      {"--max-ssids", "2x"},
        {"--colour", "red"},         {"--html"},
    };
    for (const std::vector<std::string>& options : cases) {
        std::vector<std::string> args{"report", site, pdf};
        args.insert(args.end(), options.begin(), options.end());
        const ToolRun result = run(args);
        EXPECT_EQ(result.status, 2) << options[0];
        EXPECT_FALSE(std::filesystem::exists(pdf));
    }
}

} // namespace
} // namespace marlow
