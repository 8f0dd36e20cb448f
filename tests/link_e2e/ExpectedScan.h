// The scan list a scan should leave, worked out from the board's own answer
// to the scan request, for comparison with what the link built.
#pragma once

#include "boardsim/Board.h"
#include "store/SharedRecordList.h"

#include <ostream>
#include <string>
#include <vector>

namespace marlow::e2e {

// A scan-list record as the tests compare it.
struct ScanRecord {
    std::string mac;
    std::string ssid;
    int channel = 0;
    int samples = 0;
    int rssiSum = 0;

    bool operator==(const ScanRecord&) const = default;
};

void PrintTo(const ScanRecord& record, std::ostream* out);

// "001A2B3C0101", as the link writes a transmitter's address.
std::string macText(const sim::MacAddress& mac);

// The link's scan list, read under its lock.
std::vector<ScanRecord> scanRecordsOf(const SharedRecordList& scanList);

// The scan list, in list order, that the scan of a board without faults at
// `at` should leave:
// one record per transmitter, placed when first heard before the first
// record whose RSSI sum is above the new sample, later samples summed in.
// A board with the same configuration, told the same position, answers the
// same scan request with the same bytes.
std::vector<ScanRecord> expectedScan(const sim::BoardConfig& config, sim::Point at);

} // namespace marlow::e2e
