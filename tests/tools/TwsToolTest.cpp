// The site-file tool end to end: each command once, and its refusals of bad
// input.
#include "TwsRun.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <ctime>
#include <filesystem>

namespace marlow {
namespace {

using test::apRecord;
using test::ToolRun;
using test::TwsTool;

// Ink in the top-left corner only, to tell the rows apart.
class CornerSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int y) const override {
        return x < 50 && y < 10 ? SignatureInk : SignatureWhite;
    }
};

// A site saved with points is shown as the program loads it: points as runs
// of records at one position (the last one back at the first position, a
// point of its own), a point where nothing was heard as its placeholder
// record, texts escaped or quoted where they must be, and a save time past
// 2038 as unsigned seconds.
TEST_F(TwsTool, ShowsThePointsAndTheSignatureSavedIntoASite) {
    SurveyRecord named = apRecord(3, 4, 0x0A, -55, "a,b");
    setText(named.pointName, "say \"hi\" a\\b");
    RecordList store;
    for (const SurveyRecord& record :
         {named, apRecord(3, 4, 0x0B, -70, "x\ty\n\x01\x7f\xe9\xff", 11),
          apRecord(9, 1, 0x0C, -80, "cr\rhere"), test::committedPlaceholder(9, 1),
          test::committedPlaceholder(5, 5), apRecord(3, 4, 0xAB, -50)})
        test::appendRecord(store, record);
    SiteResult<OpenedSite> opened = openSite(site);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(saveSiteData(site, opened->file, store, CornerSignature(), 4'000'000'000u));
    const std::string png = dir.file("signature.png");
    ASSERT_EQ(run({"signature", site, png}).status, 0);
    const QImage picture(QString::fromStdString(png));
    ASSERT_EQ(picture.size(), QSize(200, 100));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(picture.pixel(x, y), x < 50 && y < 10 ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                << x << "," << y;
    }
    // The dump splits (9, 1) into its two stored points, TEST and FILL.
    const ToolRun dump = run({"dump", site});
    EXPECT_EQ(dump.status, 0) << dump.err;
    // The dump is one line; it is broken here where convenient.
    std::string expected = R"({"version":2,"saveTime":4000000000,"bitmap":{"width":13,"height":7},
"points":[{"x":3,"y":4,"name":"say \"hi\" a\\\\b","nameHex":"736179202268692220615c62","records":[
{"mac":"00110000000A","macHex":"303031313030303030303041","ssid":"a,b","ssidHex":"612c62",
"channel":6,"rssi":-55},
{"mac":"00110000000B","macHex":"303031313030303030303042",
"ssid":"x\u0009y\u000a\u0001\u007f\\xe9\\xff","ssidHex":"7809790a017fe9ff","channel":11,
"rssi":-70}]},
{"x":9,"y":1,"name":"TEST","nameHex":"54455354","records":[
{"mac":"00110000000C","macHex":"303031313030303030303043","ssid":"cr\u000dhere",
"ssidHex":"63720d68657265","channel":6,"rssi":-80}]},
{"x":9,"y":1,"name":"FILL","nameHex":"46494c4c","records":[
{"mac":"000000000000","macHex":"303030303030303030303030","ssid":"","ssidHex":"","channel":0,
"rssi":-100}]},
{"x":5,"y":5,"name":"FILL","nameHex":"46494c4c","records":[
{"mac":"000000000000","macHex":"303030303030303030303030","ssid":"","ssidHex":"","channel":0,
"rssi":-100}]},
{"x":3,"y":4,"name":"TEST","nameHex":"54455354","records":[
{"mac":"0011000000AB","macHex":"303031313030303030304142","ssid":"lab","ssidHex":"6c6162",
"channel":6,"rssi":-50}]}]}
)";
    std::erase(expected, '\n');
    EXPECT_EQ(dump.out, expected + '\n');
    // The export numbers points as on the map; control characters escaped
    // leave the quotes for commas and quotes.
    const ToolRun csv = run({"export", "--csv", site});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, R"(point,x,y,name,mac,ssid,channel,rssi
1,3,4,"say ""hi"" a\\b",00110000000A,"a,b",6,-55
1,3,4,"say ""hi"" a\\b",00110000000B,x\x09y\x0a\x01\x7f\xe9\xff,11,-70
2,9,1,TEST,00110000000C,cr\x0dhere,6,-80
2,9,1,FILL,000000000000,,0,-100
3,5,5,FILL,000000000000,,0,-100
4,3,4,TEST,0011000000AB,lab,6,-50
)");
    // A placeholder next to records at its position is part of a point
    // where something was heard.
    const ToolRun info = run({"info", site});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "version:              2\n"
                        "save time:            2096-10-02T07:06:40Z\n"
                        "header length:        150\n"
                        "bitmap offset:        150\n"
                        "signature offset:     1340\n"
                        "data offset:          81340\n"
                        "floor plan:           13 x 7\n"
                        "points:               4\n"
                        "access-point records: 4\n"
                        "placeholder points:   1\n");
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
        const SiteResult<OpenedSite> opened = openSite(created);
        ASSERT_TRUE(opened) << opened.error().message;
        const SiteBitmap& plan = opened->bitmap;
        ASSERT_EQ(QSize(plan.width, plan.height), picture.size());
        // A new site, stamped now, with no points.
        const auto saveTime = decodeHeader(opened->file.header).saveTime;
        EXPECT_GE(saveTime, std::time(nullptr) - 60);
        EXPECT_LE(saveTime, std::time(nullptr));
        EXPECT_TRUE(opened->points.records->empty());
        int worst = 0;
        for (int y = 0; y < plan.height; ++y) {
            for (int x = 0; x < plan.width; ++x) {
                const QRgb got = plan.rgb(plan.row(y)[x]) | 0xFF000000;
                const QRgb want =
                    qAlpha(picture.pixel(x, y)) == 0 ? qRgb(255, 255, 255) : picture.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(got) - qRed(want)),
                                  std::abs(qGreen(got) - qGreen(want)),
                                  std::abs(qBlue(got) - qBlue(want))});
            }
        }
        EXPECT_LE(worst, tolerance) << picture.width();
        // White, black and the colours survey marks are painted in: every
        // plan's palette holds them exactly.
        for (const QRgb colour :
             {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(255, 128, 0),
              qRgb(255, 255, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 128, 0)}) {
            int entry = 0;
            while (entry < 256 && plan.rgb(std::uint8_t(entry)) != (colour & 0xFFFFFF))
                ++entry;
            EXPECT_LT(entry, 256) << std::hex << colour;
        }
    }
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
    const struct {
        std::vector<std::string> args;
        int status;
        std::string mention;
    } cases[] = {
        {{}, 2, "no command"},
        {{"info", missing}, 1, missing + ": No such file or directory"},
        {{"dump", text}, 1, text + ": Not a Site File."},
        {{"export", cut, "--csv"}, 1, cut + ": The site file is damaged"},
        {{"create", text, dir.file("new.tws")}, 1, text + ": cannot read the picture"},
    };
    for (const auto& c : cases) {
        const ToolRun bad = run(c.args);
        EXPECT_EQ(bad.status, c.status) << c.mention;
        EXPECT_NE(bad.err.find(c.mention), std::string::npos) << bad.err;
        EXPECT_TRUE(bad.out.empty()) << c.mention << ": " << bad.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.tws")));
}

} // namespace
} // namespace marlow
