// Message types and fixed values of the board protocol, in both directions.
#pragma once

#include <cstdint>

namespace marlow::msg {

// Handheld to board.
constexpr std::uint8_t FirmwareRequest = 1;
constexpr std::uint8_t SerialRequest = 2;
constexpr std::uint8_t Command = 3;
constexpr std::uint8_t Mode = 8;

// Board to handheld.
constexpr std::uint8_t FirmwareText = 1;
constexpr std::uint8_t SerialText = 2;
constexpr std::uint8_t Channel = 4;
constexpr std::uint8_t ApReportLowBattery = 13;
constexpr std::uint8_t ApReport = 15;
constexpr std::uint8_t ScanChannel = 16;
constexpr std::uint8_t ScanComplete = 17;

// The one command code the handheld sends, and the one mode value.
constexpr std::uint8_t StartScan = 7;
constexpr std::uint8_t ModeAfterHandshake = 1;

} // namespace marlow::msg
