// The site-file tool: the JSON dump, CSV export and summary written from an
// opened site and its loaded survey; and the tws program end to end: sites
// made from pictures, sites with saved points, the signature picture,
// refusals of bad input, and the sample office site the build makes.
#include "SiteFixtures.h"
#include "TempDir.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteExport.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace marlow {
namespace {

using test::apRecord;
using test::makeRecord;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class TwsTool : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeSite(site, 13, 7);
        OpenResult opened = openSite(site);
        ASSERT_FALSE(opened.error) << opened.error.message;
        loaded = std::move(opened.site);
    }

    void add(const std::vector<SurveyRecord>& records) {
        for (const SurveyRecord& record : records)
            test::appendRecord(store, record);
    }

    // Runs tws with its output and errors caught in files; every word quoted.
    ToolRun run(const std::vector<std::string>& args) const {
        std::string command = "'" + std::string(TWS_BINARY) + "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " >'" + dir.file("tws.out") + "' 2>'" + dir.file("tws.err") + "'";
        const int status = std::system(command.c_str());
        const auto text = [](const std::string& path) {
            const test::Bytes bytes = test::readBytes(path);
            return std::string(bytes.begin(), bytes.end());
        };
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(dir.file("tws.out")),
                text(dir.file("tws.err"))};
    }

    test::TempDir dir;
    const std::string site = dir.file("site.tws");
    OpenedSite loaded;
    RecordList store;
};

SurveyRecord record(std::int32_t x, std::int32_t y, const std::string& name,
                    const std::string& ssid, std::int16_t channel = 6, std::int16_t rssi = -60) {
    test::RecordFields fields;
    fields.x = x;
    fields.y = y;
    fields.name = name;
    fields.ssid = ssid;
    fields.channel = channel;
    fields.rssi = rssi;
    return makeRecord(fields);
}

// The record a point where nothing was heard loads as.
SurveyRecord loadedPlaceholder(std::int32_t x, std::int32_t y, const std::string& name) {
    return record(x, y, name, "", 0, -100);
}

TEST_F(TwsTool, JsonEscapesQuotesBackslashesControlCharactersAndHighBytes) {
    add({record(0, 0, "a\"b\\c", "x\ty\n\x01\x7f\xe9\xff")});
    std::ostringstream out;
    writeJson(out, loaded, store);
    const std::string text = out.str();
    EXPECT_NE(text.find("\"name\":\"a\\\"b\\\\c\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"ssid\":\"x\\u0009y\\u000a\\u0001\\u007f\\u00e9\\u00ff\""),
              std::string::npos)
        << text;
    // One line, plain ASCII, whatever the texts hold.
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    for (const char c : text)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST_F(TwsTool, CsvNumbersPointsByRunAndQuotesOnlyWhereNeeded) {
    add({apRecord(1, 2, 0x01, -40), apRecord(1, 2, 0x02, -41, "a,b"),
         record(3, 4, "say \"hi\"", "line\nbreak"), apRecord(5, 6, 0x03, -90, "cr\rhere"),
         loadedPlaceholder(7, 6, "P")});
    std::ostringstream out;
    writeCsv(out, store);
    EXPECT_EQ(out.str(), "point,x,y,name,mac,ssid,channel,rssi\n"
                         "1,1,2,TEST,001100000001,lab,6,-40\n"
                         "1,1,2,TEST,001100000002,\"a,b\",6,-41\n"
                         "2,3,4,\"say \"\"hi\"\"\",000000000000,\"line\nbreak\",6,-60\n"
                         "3,5,6,TEST,001100000003,\"cr\rhere\",6,-90\n"
                         "4,7,6,P,000000000000,,0,-100\n");
}

TEST_F(TwsTool, InfoCountsPointsAccessPointRecordsAndPointsWhereNothingWasHeard) {
    // A placeholder next to records at its position is part of a point
    // where something was heard.
    add({loadedPlaceholder(1, 1, "NONE"), loadedPlaceholder(2, 2, "MIX"), apRecord(2, 2, 0x01, -50),
         apRecord(3, 3, 0x02, -60), apRecord(3, 3, 0x03, -70)});
    // Past 2038 the save time still reads as unsigned seconds.
    stampHeader(loaded.state.header, 4'000'000'000u);
    std::ostringstream out;
    writeInfo(out, loaded, store);
    EXPECT_EQ(out.str(), "version:              2\n"
                         "save time:            2096-10-02T07:06:40Z\n"
                         "header length:        150\n"
                         "bitmap offset:        150\n"
                         "signature offset:     1340\n"
                         "data offset:          81340\n"
                         "floor plan:           13 x 7\n"
                         "points:               3\n"
                         "access-point records: 3\n"
                         "placeholder points:   1\n");
}

// Ink in the top-left corner only, to tell the rows apart.
class CornerSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int y) const override {
        return x < 50 && y < 10 ? SignatureInk : SignatureWhite;
    }
};

TEST_F(TwsTool, ShowsThePointsAndTheSignatureSavedIntoASite) {
    const std::string png = dir.file("signature.png");
    for (const bool saved : {false, true}) {
        if (saved) {
            // Back at the first position after another point: a point of its own.
            add({apRecord(3, 4, 0x0A, -55), apRecord(3, 4, 0x0B, -70, "guest", 11),
                 test::committedPlaceholder(9, 1), apRecord(3, 4, 0xAB, -50)});
            ASSERT_FALSE(saveSiteData(site, loaded.state, store, CornerSignature(), 1'796'588'340));
        }
        ASSERT_EQ(run({"signature", site, png}).status, 0);
        const QImage picture(QString::fromStdString(png));
        ASSERT_EQ(picture.size(), QSize(200, 100));
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x) {
                const bool ink = saved && x < 50 && y < 10;
                ASSERT_EQ(picture.pixel(x, y), ink ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                    << x << "," << y;
            }
        }
    }
    const ToolRun dump = run({"dump", site});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out,
              "{\"version\":2,\"saveTime\":1796588340,\"bitmap\":{\"width\":13,\"height\":7},"
              "\"points\":[{\"x\":3,\"y\":4,\"name\":\"TEST\",\"records\":["
              "{\"mac\":\"00110000000A\",\"ssid\":\"lab\",\"channel\":6,\"rssi\":-55},"
              "{\"mac\":\"00110000000B\",\"ssid\":\"guest\",\"channel\":11,\"rssi\":-70}]},"
              "{\"x\":9,\"y\":1,\"name\":\"FILL\",\"records\":["
              "{\"mac\":\"000000000000\",\"ssid\":\"\",\"channel\":0,\"rssi\":-100}]},"
              "{\"x\":3,\"y\":4,\"name\":\"TEST\",\"records\":["
              "{\"mac\":\"0011000000AB\",\"ssid\":\"lab\",\"channel\":6,\"rssi\":-50}]}]}\n");
    const ToolRun csv = run({"export", "--csv", site});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "point,x,y,name,mac,ssid,channel,rssi\n"
                       "1,3,4,TEST,00110000000A,lab,6,-55\n"
                       "1,3,4,TEST,00110000000B,guest,11,-70\n"
                       "2,9,1,FILL,000000000000,,0,-100\n"
                       "3,3,4,TEST,0011000000AB,lab,6,-50\n");
    const ToolRun info = run({"info", site});
    EXPECT_NE(info.out.find("save time:            2026-12-06T20:19:00Z\n"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find(
                  "points:               3\naccess-point records: 3\nplaceholder points:   1\n"),
              std::string::npos)
        << info.out;
}

QRgb pixelOf(const SiteBitmap& plan, int x, int y) {
    return plan.rgb(plan.row(y)[x]) | 0xFF000000;
}

// White, black and the colours survey marks are painted in: every plan's
// palette holds them exactly.
void expectMarkColours(const SiteBitmap& plan) {
    for (const QRgb colour :
         {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(255, 128, 0), qRgb(255, 255, 0),
          qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 128, 0)}) {
        int entry = 0;
        while (entry < 256 && plan.rgb(std::uint8_t(entry)) != (colour & 0xFFFFFF))
            ++entry;
        EXPECT_LT(entry, 256) << std::hex << colour;
    }
}

// A picture of a few flat colours keeps them exactly (transparency becomes
// white); one of many colours is reduced to nearby ones.
TEST_F(TwsTool, CreatedSiteKeepsFlatColoursExactlyAndReducesManyColours) {
    QImage flat(40, 30, QImage::Format_ARGB32);
    flat.fill(qRgb(12, 34, 56));
    QPainter painter(&flat);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(5, 5, 10, 10), QColor(255, 0, 0));
    painter.fillRect(QRect(20, 3, 7, 20), QColor(200, 100, 50));
    // Close to the background: only an exact palette tells the two apart.
    painter.fillRect(QRect(2, 20, 12, 6), QColor(14, 34, 56));
    painter.fillRect(QRect(30, 20, 10, 10), QColor(0, 0, 0, 0));
    painter.end();
    QImage many(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            many.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    }
    const std::string png = dir.file("plan.png");
    const std::string created = dir.file("new.tws");
    for (const auto& [picture, tolerance] : {std::pair(flat, 0), std::pair(many, 16)}) {
        ASSERT_TRUE(picture.save(QString::fromStdString(png)));
        const ToolRun create = run({"create", png, created});
        ASSERT_EQ(create.status, 0) << create.err;
        const OpenResult opened = openSite(created);
        ASSERT_FALSE(opened.error) << opened.error.message;
        const SiteBitmap& plan = opened.site.bitmap;
        ASSERT_EQ(QSize(plan.width, plan.height), picture.size());
        int worst = 0;
        for (int y = 0; y < plan.height; ++y) {
            for (int x = 0; x < plan.width; ++x) {
                const QRgb got = pixelOf(plan, x, y);
                const QRgb want =
                    qAlpha(picture.pixel(x, y)) == 0 ? qRgb(255, 255, 255) : picture.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(got) - qRed(want)),
                                  std::abs(qGreen(got) - qGreen(want)),
                                  std::abs(qBlue(got) - qBlue(want))});
            }
        }
        EXPECT_LE(worst, tolerance) << picture.width();
        expectMarkColours(plan);
    }
    // A new site, stamped now, with no points.
    const auto now = static_cast<long long>(std::time(nullptr));
    const ToolRun dump = run({"dump", created});
    EXPECT_EQ(dump.status, 0) << dump.err;
    long long saveTime = 0;
    ASSERT_EQ(std::sscanf(dump.out.c_str(), "{\"version\":2,\"saveTime\":%lld,", &saveTime), 1)
        << dump.out;
    EXPECT_GE(saveTime, now - 60);
    EXPECT_LE(saveTime, now);
    EXPECT_NE(dump.out.find(",\"bitmap\":{\"width\":64,\"height\":64},\"points\":[]}\n"),
              std::string::npos)
        << dump.out;
}

TEST_F(TwsTool, HelpGoesToStandardOutputAndBadInputFailsWithAMessageNamingTheProblem) {
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("tws create PLAN.png OUT.tws"), std::string::npos);
    EXPECT_TRUE(help.err.empty());

    const std::string text = dir.file("notes.txt");
    test::writeBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    const std::string cut = dir.file("cut.tws");
    test::Bytes bytes = test::readBytes(site);
    bytes.resize(600);
    test::writeBytes(cut, bytes);
    const std::string missing = dir.file("missing.tws");
    // Wider than a plan can be.
    QImage wide(32768, 1, QImage::Format_Mono);
    wide.fill(0);
    ASSERT_TRUE(wide.save(QString::fromStdString(dir.file("wide.png"))));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string mention;
    } cases[] = {
        {{}, 2, "no command"},
        {{"frobnicate", site}, 2, "frobnicate"},
        {{"info"}, 2, "tws info FILE"},
        {{"dump", site, "extra"}, 2, "tws dump FILE"},
        {{"export", site, "--json"}, 2, "--csv"},
        {{"info", missing}, 1, missing + ": No such file or directory"},
        {{"dump", text}, 1, text + ": Not a Site File."},
        {{"export", cut, "--csv"}, 1, cut + ": The site file is damaged"},
        {{"signature", dir.path(), dir.file("s.png")}, 1, dir.path()},
        {{"create", text, dir.file("new.tws")}, 1, text + ": cannot read the picture"},
        {{"create", dir.file("wide.png"), dir.file("new.tws")}, 1, "32767"},
    };
    for (const auto& c : cases) {
        const ToolRun bad = run(c.args);
        const std::string what = c.args.empty() ? "(no arguments)" : c.args[0];
        EXPECT_EQ(bad.status, c.status) << what;
        EXPECT_NE(bad.err.find(c.mention), std::string::npos) << what << ": " << bad.err;
        EXPECT_TRUE(bad.out.empty()) << what << ": " << bad.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.tws")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("s.png")));
}

TEST(OfficeSite, OpensWithTheMarkColoursAndTheFlatColoursOfItsPlan) {
    const OpenResult opened = openSite(OFFICE_SITE);
    ASSERT_FALSE(opened.error) << opened.error.message;
    const SiteBitmap& plan = opened.site.bitmap;
    EXPECT_EQ(plan.width, 800);
    EXPECT_EQ(plan.height, 560);
    expectMarkColours(plan);
    // Walls, floors and labels in a few flat colours: nothing dithered in.
    std::vector<bool> used(256);
    for (int y = 0; y < plan.height; ++y) {
        for (int x = 0; x < plan.width; ++x)
            used[plan.row(y)[x]] = true;
    }
    EXPECT_LE(std::count(used.begin(), used.end(), true), 8);
    EXPECT_EQ(pixelOf(plan, 0, 0), qRgb(255, 255, 255));
}

} // namespace
} // namespace marlow
