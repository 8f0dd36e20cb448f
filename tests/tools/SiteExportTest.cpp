// The JSON dump, CSV export and summary of an opened site and its loaded
// survey: how records group into points and how texts are written.
#include "sitefile/SiteExport.h"

#include "SiteFixtures.h"
#include "TempDir.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"

#include <gtest/gtest.h>
#include <sstream>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;
using test::makeRecord;

// The record a point where nothing was heard loads as.
SurveyRecord loadedPlaceholder(std::int32_t x, std::int32_t y, const std::string& name) {
    test::RecordFields fields;
    fields.x = x;
    fields.y = y;
    fields.name = name;
    fields.channel = 0;
    fields.rssi = -100;
    return makeRecord(fields);
}

class SiteExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string path = m_dir.file("site.tws");
        test::makeSite(path, 13, 7);
        OpenResult opened = openSite(path);
        ASSERT_FALSE(opened.error) << opened.error.message;
        m_site = std::move(opened.site);
    }

    std::string json() const {
        std::ostringstream out;
        writeJson(out, m_site, m_store);
        return out.str();
    }

    test::TempDir m_dir;
    OpenedSite m_site;
    RecordList m_store;
};

TEST_F(SiteExportTest, JsonJoinsAdjacentRecordsAtOnePositionIntoOnePoint) {
    appendRecord(m_store, apRecord(10, 20, 0x01, -60));
    appendRecord(m_store, apRecord(10, 20, 0x02, -71, "guest", 11));
    appendRecord(m_store, loadedPlaceholder(10, 40, "EMPTY"));
    // Back at the first position after another point: a point of its own.
    appendRecord(m_store, apRecord(10, 20, 0xAB, -50));
    EXPECT_EQ(json(),
              "{\"version\":2,\"saveTime\":1700000000,\"bitmap\":{\"width\":13,\"height\":7},"
              "\"points\":[{\"x\":10,\"y\":20,\"name\":\"TEST\",\"records\":["
              "{\"mac\":\"001100000001\",\"ssid\":\"lab\",\"channel\":6,\"rssi\":-60},"
              "{\"mac\":\"001100000002\",\"ssid\":\"guest\",\"channel\":11,\"rssi\":-71}]},"
              "{\"x\":10,\"y\":40,\"name\":\"EMPTY\",\"records\":["
              "{\"mac\":\"000000000000\",\"ssid\":\"\",\"channel\":0,\"rssi\":-100}]},"
              "{\"x\":10,\"y\":20,\"name\":\"TEST\",\"records\":["
              "{\"mac\":\"0011000000AB\",\"ssid\":\"lab\",\"channel\":6,\"rssi\":-50}]}]}\n");
}

TEST_F(SiteExportTest, JsonOfAnEmptySurveyHasNoPoints) {
    EXPECT_EQ(json(),
              "{\"version\":2,\"saveTime\":1700000000,\"bitmap\":{\"width\":13,\"height\":7},"
              "\"points\":[]}\n");
}

TEST_F(SiteExportTest, JsonEscapesQuotesBackslashesControlCharactersAndHighBytes) {
    test::RecordFields fields;
    fields.name = "a\"b\\c";
    fields.ssid = "x\ty\n\x01\x7f\xe9\xff";
    appendRecord(m_store, makeRecord(fields));
    const std::string text = json();
    EXPECT_NE(text.find("\"name\":\"a\\\"b\\\\c\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"ssid\":\"x\\u0009y\\u000a\\u0001\\u007f\\u00e9\\u00ff\""),
              std::string::npos)
        << text;
    // One line, plain ASCII, whatever the texts hold.
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    for (const char c : text)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

TEST_F(SiteExportTest, CsvNumbersPointsByRunAndQuotesOnlyWhereNeeded) {
    appendRecord(m_store, apRecord(1, 2, 0x01, -40));
    appendRecord(m_store, apRecord(1, 2, 0x02, -41, "a,b"));
    test::RecordFields quoted;
    quoted.x = 3;
    quoted.y = 4;
    quoted.name = "say \"hi\"";
    quoted.ssid = "line\nbreak";
    appendRecord(m_store, makeRecord(quoted));
    appendRecord(m_store, apRecord(5, 6, 0x03, -90, "cr\rhere"));
    appendRecord(m_store, loadedPlaceholder(7, 6, "P"));

    std::ostringstream out;
    writeCsv(out, m_store);
    EXPECT_EQ(out.str(), "point,x,y,name,mac,ssid,channel,rssi\n"
                         "1,1,2,TEST,001100000001,lab,6,-40\n"
                         "1,1,2,TEST,001100000002,\"a,b\",6,-41\n"
                         "2,3,4,\"say \"\"hi\"\"\",000000000000,\"line\nbreak\",6,-60\n"
                         "3,5,6,TEST,001100000003,\"cr\rhere\",6,-90\n"
                         "4,7,6,P,000000000000,,0,-100\n");
}

TEST_F(SiteExportTest, InfoCountsPointsAccessPointRecordsAndPointsWhereNothingWasHeard) {
    appendRecord(m_store, loadedPlaceholder(1, 1, "NONE"));
    // A placeholder next to records at its position is part of a point
    // where something was heard.
    appendRecord(m_store, loadedPlaceholder(2, 2, "MIX"));
    appendRecord(m_store, apRecord(2, 2, 0x01, -50));
    appendRecord(m_store, apRecord(3, 3, 0x02, -60));
    appendRecord(m_store, apRecord(3, 3, 0x03, -70));
    // Past 2038 the save time still reads as unsigned seconds.
    stampHeader(m_site.state.header, 4'000'000'000u);

    std::ostringstream out;
    writeInfo(out, m_site, m_store);
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

} // namespace
} // namespace marlow
