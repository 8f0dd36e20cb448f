// The export and the dump read back by other programs' readers (Python's
// csv and json modules): texts as UTF-8 with their exact bytes recoverable,
// no terminal escape, no cell a spreadsheet would run as a formula.
#include "TwsRun.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::apRecord;
using test::TwsTool;

// The records read_exports.py expects: one point on the map at (1, 1),
// and one at (2, 2) made of two stored points, P1 and P2.
TEST_F(TwsTool, ExportAndDumpReadBackAsTheStoredTexts) {
    RecordList store;
    for (const SurveyRecord& record : {
             apRecord(1, 1, 1, -67, "\xc3\xa9t\xc3\xa9", 6, "=cmd|calc"),
             apRecord(1, 1, 2, -67, "\xff\xfe", 6, "=cmd|calc"),
             apRecord(1, 1, 3, -70, "\x1b[31mred\xc2\x9b", 6, "=cmd|calc"),
             apRecord(2, 2, 4, -50, "@SUM(A1)", 6, "P1"),
         })
        test::appendRecord(store, record);
    SiteResult<OpenedSite> opened = openSite(site);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(saveSiteData(site, opened->file, store, BlankSignature(), 1));
    // Save Site Data writes a run at one position as one stored point; a
    // file may hold more than one there, under other names, so P2 is added
    // as a stored point of its own.
    const SurveyRecord p2[] = {apRecord(2, 2, 5, -45, "a\\xff", 6, "P2"),
                               apRecord(2, 2, 6, -40, "-1+2", 6, "P2")};
    test::Bytes bytes = test::readBytes(site);
    const std::size_t end = bytes.size();
    bytes.resize(end + StoredPointRecordSize + 2 * StoredApRecordSize);
    std::uint8_t* at = &bytes[end];
    encodePointRecord(at, p2[0], 2);
    at += StoredPointRecordSize;
    for (const SurveyRecord& record : p2) {
        encodeApRecord(at, record);
        at += StoredApRecordSize;
    }
    test::writeBytes(site, bytes);

    const std::string exported = dir.file("export.csv");
    const std::string dumped = dir.file("dump.json");
    ASSERT_EQ(run({"export", site, "--csv"}, {}, exported).status, 0);
    ASSERT_EQ(run({"dump", site}, {}, dumped).status, 0);
    const std::string command = "'" + std::string(PYTHON3) + "' '" + READ_EXPORTS + "' '" +
                                exported + "' '" + dumped + "' 2>'" + dir.file("python.err") + "'";
    const int status = std::system(command.c_str());
    const test::Bytes err = test::readBytes(dir.file("python.err"));
    EXPECT_EQ(status, 0) << std::string(err.begin(), err.end());
}

} // namespace
} // namespace marlow
