// What the board check prints: readable lines, or one line of JSON.
#pragma once

#include "BoardCheck.h"

#include <string>

namespace marlow::check {

// "firmware: ...", "serial: ..." and, after a scan, the number of access
// points and one line per record: MAC, SSID, channel, samples, average RSSI.
std::string plainReport(const BoardAnswers& answers);

// {"firmware":"1.07","serial":"TB-000417","records":[{"mac":"001122334455",
// "ssid":"lab","channel":6,"samples":2,"rssiSum":-121,"rssi":-60}]} on one
// line; "records" only after a scan.
std::string jsonReport(const BoardAnswers& answers);

} // namespace marlow::check
