// A small lab scenario for the board's tests and helpers to scan it.
#pragma once

#include "Handheld.h"
#include "boardsim/Board.h"

#include <map>
#include <string>
#include <vector>

namespace marlow::sim {

// Near the top left, channel 6.
constexpr const char* LabMac = "001122334455";
// Across the plan, channel 1.
constexpr const char* GuestMac = "0011223344AA";
// Kilometres away, channel 11: never heard.
constexpr const char* FarMac = "00112233EEEE";

BoardConfig labConfig();
// The lab's access points by MAC text.
const std::map<std::string, AccessPoint>& labAccessPoints();

// The messages of one scan at the position.
std::vector<test::Message> scanAt(Board& board, Point at);
// The average RSSI of the access point over ten scans at the position.
double averageRssi(Board& board, Point at, const std::string& mac);

} // namespace marlow::sim
