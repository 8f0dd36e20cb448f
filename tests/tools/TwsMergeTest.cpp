// tws merge end to end: the joined site is the file one surveyor's save of
// all the points would be, and what cannot be joined or written is refused
// without an output file.
#include "TwsRun.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace marlow {
namespace {

using test::apRecord;
using test::Bytes;
using test::committedPlaceholder;
using test::ToolRun;
using test::TwsTool;
using Records = std::vector<SurveyRecord>;

// Ink in the left half, so that the first site's signature is told apart
// from the blank ones of the others.
class HalfSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int) const override {
        return x < SignatureWidth / 2 ? SignatureInk : SignatureWhite;
    }
};

// The first site's save time; the others are saved later.
constexpr std::uint32_t FirstSaveTime = 1'750'000'000;

// Saves the records into a new site at path, as one surveyor would, with a
// plan testPlan(13, 7) unless another is given.
void saveSurvey(const std::string& path, const Records& records, const SignatureSource& signature,
                std::uint32_t saveTime, const SiteBitmap& plan = test::testPlan(13, 7)) {
    test::makeSite(path, plan);
    RecordList store;
    for (const SurveyRecord& record : records)
        test::appendRecord(store, record);
    SiteResult<OpenedSite> opened = openSite(path);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(saveSiteData(path, opened->file, store, signature, saveTime));
}

Records joined(const std::vector<Records>& parts) {
    Records all;
    for (const Records& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class TwsMerge : public TwsTool {
protected:
    // Each part saved as a site of its own (the first with HalfSignature,
    // the others later and blank) and merged in order, into out or over the
    // first part; the parts saved together, as one surveyor with all of them
    // would, into expected.
    ToolRun mergeParts(const std::vector<Records>& parts, bool overFirst = false) {
        std::vector<std::string> args = {"merge"};
        for (const Records& part : parts) {
            args.push_back(dir.file("part" + std::to_string(args.size()) + ".tws"));
            if (args.size() == 2)
                saveSurvey(args.back(), part, HalfSignature(), FirstSaveTime);
            else
                saveSurvey(args.back(), part, BlankSignature(), FirstSaveTime + 1000);
        }
        saveSurvey(expected, joined(parts), HalfSignature(), FirstSaveTime);
        if (overFirst)
            out = args[1];
        args.insert(args.end(), {"-o", out});
        return run(args);
    }

    std::string out = dir.file("out.tws");
    const std::string expected = dir.file("expected.tws");
};

// The points of the first surveyor: two points, a point where nothing was
// heard, and one at the spot where the second surveyor starts.
const Records FirstSurvey = {apRecord(3, 4, 0x0A, -55), apRecord(3, 4, 0x0B, -70, "x", 11),
                             committedPlaceholder(9, 1), apRecord(2, 2, 0x0C, -80, "a", 1, "A")};
// The second surveyor's: a first point at that spot, under another name;
// one spot measured three times, the second time hearing nothing, so that
// two stored points stand at one position; and an access point stored on
// channel 0.
const Records SecondSurvey = {apRecord(2, 2, 0x0D, -60, "b", 6, "B"),
                              apRecord(5, 5, 0x01, -50),
                              apRecord(5, 5, 0x02, -51),
                              committedPlaceholder(5, 5),
                              apRecord(5, 5, 0x03, -40, "again"),
                              apRecord(6, 6, 0x04, -45, "zero", 0),
                              apRecord(7, 7, 0x05, -90)};
const Records ThirdSurvey = {apRecord(8, 8, 0x06, -66), committedPlaceholder(1, 1)};

// Two sites, and three in another order written over the first of them
// (every input is read before the output replaces anything).
TEST_F(TwsMerge, JoinedSiteIsWhatOneSurveyorWouldHaveSavedWithAllThePoints) {
    for (const bool three : {false, true}) {
        const ToolRun merged = three ? mergeParts({SecondSurvey, ThirdSurvey, FirstSurvey}, true)
                                     : mergeParts({FirstSurvey, SecondSurvey});
        ASSERT_EQ(merged.status, 0) << merged.err;
        EXPECT_EQ(test::readBytes(out), test::readBytes(expected)) << three;
    }
}

// The second surveyor went on from a copy of the first one's site: the
// points they share are kept once, where they first appear. A point that
// only shares an access-point record with an earlier one is its own.
TEST_F(TwsMerge, PointRepeatedByteForByteIsKeptOnce) {
    const Records more = {apRecord(3, 4, 0x0A, -55), apRecord(4, 4, 0x0E, -65)};
    const std::string first = dir.file("first.tws");
    const std::string second = dir.file("second.tws");
    saveSurvey(first, FirstSurvey, HalfSignature(), FirstSaveTime);
    saveSurvey(second, joined({FirstSurvey, more, FirstSurvey}), BlankSignature(), 1);
    saveSurvey(expected, joined({FirstSurvey, more}), HalfSignature(), FirstSaveTime);
    const ToolRun merged = run({"merge", first, second, "-o", out});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(test::readBytes(out), test::readBytes(expected));
}

TEST_F(TwsMerge, RefusesSitesWhosePlansDifferNamingTheFirstDifference) {
    SiteBitmap recoloured = test::testPlan(13, 7);
    recoloured.colorTable[5 * 4 + 2] = 0xAB; // red of entry 5
    SiteBitmap repainted = test::testPlan(13, 7);
    repainted.pixels[3 * repainted.rowStride() + 4] = 200; // (4, 3), entry 13 before
    const struct {
        SiteBitmap plan;
        std::string mention;
    } cases[] = {
        {test::testPlan(13, 8), "the floor plan is 13 x 8 pixels, not 13 x 7."},
        {recoloured, "colour-table entry 5 is #AB0505, not #050505."},
        {repainted, "the pixel at (4, 3) is colour-table entry 200, not 13."},
    };
    saveSurvey(site, FirstSurvey, HalfSignature(), FirstSaveTime);
    const std::string other = dir.file("other.tws");
    for (const auto& c : cases) {
        saveSurvey(other, SecondSurvey, BlankSignature(), 1, c.plan);
        const ToolRun refused = run({"merge", site, site, other, "-o", out});
        EXPECT_EQ(refused.status, 1) << c.mention;
        EXPECT_NE(refused.err.find(other + ": not the floor plan of " + site + ": " + c.mention),
                  std::string::npos)
            << refused.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.mention;
    }
}

TEST_F(TwsMerge, FailuresLeaveNoOutputAndWrongCommandLinesShowUsage) {
    const std::string cut = dir.file("cut.tws");
    saveSurvey(cut, FirstSurvey, BlankSignature(), 1);
    Bytes bytes = test::readBytes(cut);
    bytes.resize(bytes.size() - 10);
    test::writeBytes(cut, bytes);
    const std::string noFolder = dir.file("none/out.tws");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string mention;
    } cases[] = {
        {{"merge", site, site, "-o", "/dev/full"},
         1,
         "/dev/full: cannot write the merged site: " + std::string(std::strerror(ENOSPC))},
        {{"merge", site, site, "-o", noFolder},
         1,
         noFolder + ": cannot write the merged site: " + std::strerror(ENOENT)},
        {{"merge", site, cut, "-o", out}, 1, cut + ": The site file is damaged: it ends before"},
        {{"merge", site, "-o", out},
         2,
         "at least two sites; usage: tws merge A.tws B.tws ... -o OUT.tws"},
        {{"merge", site, site}, 2, "one output: -o OUT.tws"},
        {{"merge", site, site, "-o"}, 2, "one output: -o OUT.tws"},
        {{"merge", site, "-o", out, site, "-o", out}, 2, "one output: -o OUT.tws"},
    };
    for (const auto& c : cases) {
        const ToolRun failed = run(c.args);
        EXPECT_EQ(failed.status, c.status) << c.mention;
        EXPECT_NE(failed.err.find(c.mention), std::string::npos) << failed.err;
    }
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"cut.tws", "site.tws", "tws.err", "tws.out"}));
    EXPECT_NE(run({"--help"}).out.find("tws merge A.tws B.tws ... -o OUT.tws"), std::string::npos);
}

} // namespace
} // namespace marlow
