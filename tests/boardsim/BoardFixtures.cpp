// The lab scenario and scan helpers.
#include "BoardFixtures.h"

namespace marlow::sim {

BoardConfig labConfig() {
    BoardConfig config;
    config.scenario.seed = 7;
    config.scenario.accessPoints = {
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "lab", 6, 120, 80, 0},
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0xAA}, "guest", 1, 600, 400, 0},
        {{0x00, 0x11, 0x22, 0x33, 0xEE, 0xEE}, "far", 11, 100000, 0, 0},
    };
    return config;
}

const std::map<std::string, AccessPoint>& labAccessPoints() {
    static const std::map<std::string, AccessPoint> byMac = [] {
        const std::vector<AccessPoint> aps = labConfig().scenario.accessPoints;
        return std::map<std::string, AccessPoint>{
            {LabMac, aps[0]}, {GuestMac, aps[1]}, {FarMac, aps[2]}};
    }();
    return byMac;
}

std::vector<test::Message> scanAt(Board& board, Point at) {
    board.setSurveyPosition(at);
    return test::messagesIn(board.receive(test::frameOf(3, {7})).bytes());
}

double averageRssi(Board& board, Point at, const std::string& mac) {
    int sum = 0;
    int count = 0;
    for (int scan = 0; scan < 10; ++scan) {
        for (const test::Message& m : scanAt(board, at)) {
            const test::ReportView report = test::viewReport(m.payload);
            if (m.type == 15 && report.mac == mac) {
                sum += report.rssi;
                ++count;
            }
        }
    }
    return count == 0 ? -1000.0 : double(sum) / count;
}

} // namespace marlow::sim
