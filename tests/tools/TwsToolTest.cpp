// The tws program end to end: sites made from pictures, sites with saved
// points, the signature picture, refusals of bad input, and the sample
// office site the build makes.
#include "SiteFixtures.h"
#include "TempDir.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace marlow {
namespace {

constexpr const char* TwsBinary = TWS_BINARY;
constexpr const char* OfficeSite = OFFICE_SITE;

constexpr std::array<QRgb, 8> MarkColours = {
    qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(255, 0, 0), qRgb(255, 128, 0),
    qRgb(255, 255, 0),   qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(0, 128, 0)};

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string textOfFile(const std::string& path) {
    const test::Bytes bytes = test::readBytes(path);
    return {bytes.begin(), bytes.end()};
}

ToolRun runTws(const test::TempDir& dir, const std::vector<std::string>& args) {
    const std::string outPath = dir.file("tws.out");
    const std::string errPath = dir.file("tws.err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<char*> argv{const_cast<char*>(TwsBinary)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, TwsBinary, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ToolRun run;
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << TwsBinary;
        return run;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = textOfFile(outPath);
    run.err = textOfFile(errPath);
    return run;
}

bool paletteHolds(const SiteBitmap& bitmap, QRgb colour) {
    for (int i = 0; i < 256; ++i) {
        if (bitmap.rgb(static_cast<std::uint8_t>(i)) == (colour & 0xFFFFFF))
            return true;
    }
    return false;
}

QRgb pixelOf(const SiteBitmap& bitmap, int x, int y) {
    return bitmap.rgb(bitmap.row(y)[x]) | 0xFF000000;
}

class TwsToolTest : public ::testing::Test {
protected:
    // Makes a site from the picture with tws create and opens it.
    SiteBitmap createFrom(const QImage& picture) {
        const std::string png = m_dir.file("plan.png");
        const std::string site = m_dir.file("plan.tws");
        EXPECT_TRUE(picture.save(QString::fromStdString(png)));
        const ToolRun run = runTws(m_dir, {"create", png, site});
        EXPECT_EQ(run.status, 0) << run.err;
        OpenResult opened = openSite(site);
        EXPECT_FALSE(opened.error) << opened.error.message;
        return opened.site.bitmap;
    }

    test::TempDir m_dir;
};

TEST_F(TwsToolTest, HelpGoesToStandardOutput) {
    const ToolRun run = runTws(m_dir, {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("tws create PLAN.png OUT.tws"), std::string::npos);
    EXPECT_TRUE(run.err.empty());
}

TEST_F(TwsToolTest, CreatedSiteReportsItsSizeAndNoPoints) {
    QImage picture(37, 23, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(QString::fromStdString(m_dir.file("plan.png"))));
    const std::string site = m_dir.file("new.tws");
    const auto before = static_cast<long long>(std::time(nullptr));
    ASSERT_EQ(runTws(m_dir, {"create", m_dir.file("plan.png"), site}).status, 0);

    const ToolRun info = runTws(m_dir, {"info", site});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("floor plan:           37 x 23\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("points:               0\n"), std::string::npos) << info.out;

    const ToolRun dump = runTws(m_dir, {"dump", site});
    EXPECT_EQ(dump.status, 0) << dump.err;
    long long saveTime = 0;
    ASSERT_EQ(std::sscanf(dump.out.c_str(), "{\"version\":2,\"saveTime\":%lld,", &saveTime), 1)
        << dump.out;
    EXPECT_GE(saveTime, before);
    EXPECT_LE(saveTime, before + 60);
    EXPECT_NE(dump.out.find(",\"bitmap\":{\"width\":37,\"height\":23},\"points\":[]}\n"),
              std::string::npos)
        << dump.out;
}

TEST_F(TwsToolTest, FlatColoursSurviveExactlyAndTransparencyBecomesWhite) {
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(qRgb(12, 34, 56));
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(5, 5, 10, 10), QColor(255, 0, 0));
    painter.fillRect(QRect(20, 3, 7, 20), QColor(200, 100, 50));
    // Close to the background: only an exact palette tells the two apart.
    painter.fillRect(QRect(2, 20, 12, 6), QColor(14, 34, 56));
    painter.fillRect(QRect(30, 20, 10, 10), QColor(0, 0, 0, 0));
    painter.end();

    const SiteBitmap plan = createFrom(picture);
    ASSERT_EQ(plan.width, 40);
    ASSERT_EQ(plan.height, 30);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRgb expected =
                qAlpha(picture.pixel(x, y)) == 0 ? qRgb(255, 255, 255) : picture.pixel(x, y);
            ASSERT_EQ(pixelOf(plan, x, y), expected) << x << "," << y;
        }
    }
    for (const QRgb colour : MarkColours)
        EXPECT_TRUE(paletteHolds(plan, colour)) << std::hex << colour;
}

TEST_F(TwsToolTest, ManyColoursAreReducedToNearbyOnes) {
    QImage picture(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
    }
    const SiteBitmap plan = createFrom(picture);
    int worst = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb got = pixelOf(plan, x, y);
            const QRgb want = picture.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(got) - qRed(want)),
                              std::abs(qGreen(got) - qGreen(want)),
                              std::abs(qBlue(got) - qBlue(want))});
        }
    }
    EXPECT_LE(worst, 16);
    for (const QRgb colour : MarkColours)
        EXPECT_TRUE(paletteHolds(plan, colour)) << std::hex << colour;
}

TEST_F(TwsToolTest, PictureWiderThanAPlanCanBeIsRefused) {
    QImage picture(32768, 1, QImage::Format_Mono);
    picture.fill(0);
    const std::string png = m_dir.file("wide.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(png)));
    const ToolRun run = runTws(m_dir, {"create", png, m_dir.file("wide.tws")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("32767"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("wide.tws")));
}

TEST_F(TwsToolTest, ReportsThePointsSavedIntoASite) {
    const std::string site = m_dir.file("survey.tws");
    test::makeSite(site);
    OpenResult opened = openSite(site);
    ASSERT_FALSE(opened.error);
    RecordList store;
    test::appendRecord(store, test::apRecord(3, 4, 0x0A, -55));
    test::appendRecord(store, test::apRecord(3, 4, 0x0B, -70, "guest", 11));
    test::appendRecord(store, test::committedPlaceholder(9, 1));
    ASSERT_FALSE(saveSiteData(site, opened.site.state, store, BlankSignature(), 1'796'588'340));

    const ToolRun dump = runTws(m_dir, {"dump", site});
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out,
              "{\"version\":2,\"saveTime\":1796588340,\"bitmap\":{\"width\":13,\"height\":7},"
              "\"points\":[{\"x\":3,\"y\":4,\"name\":\"TEST\",\"records\":["
              "{\"mac\":\"00110000000A\",\"ssid\":\"lab\",\"channel\":6,\"rssi\":-55},"
              "{\"mac\":\"00110000000B\",\"ssid\":\"guest\",\"channel\":11,\"rssi\":-70}]},"
              "{\"x\":9,\"y\":1,\"name\":\"FILL\",\"records\":["
              "{\"mac\":\"000000000000\",\"ssid\":\"\",\"channel\":0,\"rssi\":-100}]}]}\n");

    const ToolRun csv = runTws(m_dir, {"export", "--csv", site});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "point,x,y,name,mac,ssid,channel,rssi\n"
                       "1,3,4,TEST,00110000000A,lab,6,-55\n"
                       "1,3,4,TEST,00110000000B,guest,11,-70\n"
                       "2,9,1,FILL,000000000000,,0,-100\n");

    const ToolRun info = runTws(m_dir, {"info", site});
    EXPECT_NE(info.out.find("save time:            2026-12-06T20:19:00Z\n"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("access-point records: 2\nplaceholder points:   1\n"),
              std::string::npos)
        << info.out;
}

// Ink in the top-left corner only, to tell the rows apart.
class CornerSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int y) const override {
        return x < 50 && y < 10 ? SignatureInk : SignatureWhite;
    }
};

TEST_F(TwsToolTest, SignaturePictureShowsTheStoredInkTheRightWayUp) {
    const std::string site = m_dir.file("signed.tws");
    test::makeSite(site);
    const std::string png = m_dir.file("signature.png");
    ASSERT_EQ(runTws(m_dir, {"signature", site, png}).status, 0);
    const QImage fresh(QString::fromStdString(png));
    ASSERT_EQ(fresh.size(), QSize(200, 100));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(fresh.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    }

    OpenResult opened = openSite(site);
    ASSERT_FALSE(opened.error);
    ASSERT_FALSE(saveSiteData(site, opened.site.state, RecordList(), CornerSignature(), 1));
    ASSERT_EQ(runTws(m_dir, {"signature", site, png}).status, 0);
    const QImage inked(QString::fromStdString(png));
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const QRgb want = x < 50 && y < 10 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            ASSERT_EQ(inked.pixel(x, y), want) << x << "," << y;
        }
    }
}

TEST_F(TwsToolTest, BadInputFailsWithAMessageNamingTheProblem) {
    const std::string site = m_dir.file("good.tws");
    test::makeSite(site);
    const std::string text = m_dir.file("notes.txt");
    test::writeBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    const std::string cut = m_dir.file("cut.tws");
    test::Bytes bytes = test::readBytes(site);
    bytes.resize(600);
    test::writeBytes(cut, bytes);
    const std::string missing = m_dir.file("missing.tws");

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string mention;
    };
    const std::vector<Case> cases = {
        {{}, 2, "no command"},
        {{"frobnicate", site}, 2, "frobnicate"},
        {{"info"}, 2, "tws info FILE"},
        {{"dump", site, "extra"}, 2, "tws dump FILE"},
        {{"export", site, "--json"}, 2, "--csv"},
        {{"info", missing}, 1, missing + ": No such file or directory"},
        {{"dump", text}, 1, text + ": Not a Site File."},
        {{"export", cut, "--csv"}, 1, cut + ": The site file is damaged"},
        {{"signature", m_dir.path(), m_dir.file("s.png")}, 1, m_dir.path()},
        {{"create", text, m_dir.file("new.tws")}, 1, text + ": cannot read the picture"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runTws(m_dir, c.args);
        const std::string what = c.args.empty() ? "(no arguments)" : c.args[0];
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_NE(run.err.find(c.mention), std::string::npos) << what << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << what << ": " << run.out;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("new.tws")));
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("s.png")));
}

TEST(OfficeSiteTest, OpensWithTheMarkColoursAndTheFlatColoursOfItsPlan) {
    const OpenResult opened = openSite(OfficeSite);
    ASSERT_FALSE(opened.error) << opened.error.message;
    const SiteBitmap& plan = opened.site.bitmap;
    EXPECT_EQ(plan.width, 800);
    EXPECT_EQ(plan.height, 560);
    for (const QRgb colour : MarkColours)
        EXPECT_TRUE(paletteHolds(plan, colour)) << std::hex << colour;
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
