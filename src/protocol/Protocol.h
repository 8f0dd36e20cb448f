// The analyzer board's serial protocol, for both ends of the wire: message
// types in each direction, the command and mode values, the framing bytes and
// limits, and the layout of an access-point report.
#pragma once

#include <cstddef>
#include <cstdint>

namespace marlow {

namespace msg {

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

} // namespace msg

namespace frame {

// A frame is Lead Start, the type and the payload, then Lead End; every Lead
// inside the type and payload is followed by Escaped.
constexpr std::uint8_t Lead = 0x11;
constexpr std::uint8_t Start = 0x12;
constexpr std::uint8_t End = 0x13;
constexpr std::uint8_t Escaped = 0x14;
// Frames the handheld sends, framing and escapes included, never exceed this.
constexpr std::size_t MaxFrame = 128;
// The largest payload a receiver keeps; a longer frame is dropped.
constexpr std::size_t MaxPayload = 8192;

} // namespace frame

namespace report {

// Payload: unused byte, RSSI (signed dBm), N (16 bits, little-endian), then
// N bytes of capture.
constexpr std::size_t RssiOffset = 1;
constexpr std::size_t LengthOffset = 2;
constexpr std::size_t CaptureOffset = 4;
// Capture: the board's prefix, the 802.11 management header (transmitter at
// 14), the fixed fields, then the information elements from FixedPart on.
constexpr std::size_t CapturePrefixLength = 4;
constexpr std::size_t TransmitterOffset = 14;
constexpr std::size_t FixedPart = 40;
// The handheld walks at most this many bytes of elements.
constexpr std::size_t MaxElementArea = 2048;
constexpr std::size_t MaxSsid = 32;

// Information element ids.
constexpr std::uint8_t SsidElement = 0;
constexpr std::uint8_t RatesElement = 1;
constexpr std::uint8_t DsParameterElement = 3;
constexpr std::uint8_t TimElement = 5;

} // namespace report

} // namespace marlow
