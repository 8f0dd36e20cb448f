// Output the tool could not write: a failed write is never reported as
// success, and a picture is written whole or not at all.
#include "TwsRun.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace marlow {
namespace {

using test::ToolRun;
using test::TwsTool;

// Every command's output sent to a full device fails with the system's
// reason.
TEST_F(TwsTool, WritesToAFullDeviceFailWithTheReason) {
    const std::vector<std::string> commands[] = {
        {"signature", site, "/dev/full"},
        {"dump", site},
        {"export", site, "--csv"},
        {"info", site},
    };
    for (const std::vector<std::string>& args : commands) {
        const ToolRun full = run(args, {}, "/dev/full");
        EXPECT_EQ(full.status, 1) << args[0];
        EXPECT_NE(full.err.find(std::strerror(ENOSPC)), std::string::npos) << full.err;
    }
}

// Ink scattered at random, so that the picture does not compress to a few
// bytes.
class ScatteredSignature final : public SignatureSource {
public:
    ScatteredSignature() {
        std::mt19937 random(7);
        for (bool& ink : m_ink)
            ink = random() % 2 == 0;
    }
    std::uint32_t readSignaturePixel(int x, int y) const override {
        return m_ink[static_cast<std::size_t>(y * SignatureWidth + x)] ? SignatureInk
                                                                       : SignatureWhite;
    }

private:
    bool m_ink[SignatureWidth * SignatureHeight] = {};
};

// A disk that fills part way through the picture (a file-size limit of 1 or
// 2 KiB, depending on the shell's block size, where the picture is over
// 2.5 KiB): the old picture stays whole and no temporary file is left.
TEST_F(TwsTool, PictureThatCannotBeWrittenWholeLeavesTheOldOne) {
    SiteResult<OpenedSite> opened = openSite(site);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(saveSiteData(site, opened->file, RecordList(), ScatteredSignature(), 1));
    const std::string png = dir.file("signature.png");
    ASSERT_EQ(run({"signature", site, png}).status, 0);
    ASSERT_GT(test::readBytes(png).size(), 2500u);

    const test::Bytes old = {'o', 'l', 'd'};
    test::writeBytes(png, old);
    const ToolRun limited = run({"signature", site, png}, "trap '' XFSZ; ulimit -f 2; ");
    EXPECT_EQ(limited.status, 1);
    EXPECT_NE(limited.err.find(png + ": cannot write the picture: " + std::strerror(EFBIG)),
              std::string::npos)
        << limited.err;
    EXPECT_EQ(test::readBytes(png), old);
    EXPECT_EQ(dir.entries(),
              (std::vector<std::string>{"signature.png", "site.tws", "tws.err", "tws.out"}));
}

} // namespace
} // namespace marlow
