// Scan-list update from a report; see ApplyReport.h.
#include "ApplyReport.h"

#include <algorithm>

namespace marlow {

ReportResult applyReport(RecordList& list, const ApReport& decoded, std::uint8_t channel) {
    char macText[16] = {};
    formatMacText(macText, decoded.macAddr);
    const std::string_view ssid = decoded.ssidText();
    RecordNode* node = nullptr;
    if (list.findByMac(macText, node) == RecordList::Ok) {
        // A later sighting adds its sample and its SSID (even an empty one);
        // the record keeps its channel and its place in the list.
        SurveyRecord& record = node->record;
        record.sampleCount += 1;
        record.rssi += decoded.rssi;
        setText(record.ssid, ssid);
        return ReportResult::Updated;
    }
    if (list.size() >= MaxScanRecords || list.newNode(node) != RecordList::Ok)
        return ReportResult::Dropped;
    SurveyRecord& record = node->record;
    setText(record.macText, textOf(macText));
    std::copy_n(decoded.macAddr, 6, record.macAddr);
    record.rssi = decoded.rssi;
    record.channel = channel;
    record.sampleCount = 1;
    setText(record.ssid, ssid);
    list.insertOrdered(node);
    return ReportResult::Added;
}

} // namespace marlow
