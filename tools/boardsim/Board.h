// The simulated analyzer board, free of any transport: bytes from the
// handheld go in, what the board answers comes out. It answers type 1 with
// its firmware text and type 2 with its serial-number text (both
// zero-terminated), takes type 8 silently, and on type 3 with code 7 scans:
// for channels 1 to 14 it sends ScanChannel (16) and then one ApReport (15)
// per beacon heard on that channel (each access point 1 to 3 times, each
// sighting with its own noise), and ends with ScanComplete (17).
//
// The board is told where the surveyor stands through setSurveyPosition, a
// side door that is not part of the wire protocol. Until then it stands at
// (0, 0).
#pragma once

#include "boardsim/Faults.h"
#include "boardsim/FrameCodec.h"
#include "boardsim/RadioModel.h"
#include "boardsim/Scenario.h"
#include "boardsim/Transmission.h"

#include <cstdint>
#include <mutex>
#include <random>
#include <span>
#include <vector>

namespace marlow::sim {

// Message types the handheld sends.
constexpr std::uint8_t FirmwareRequestType = 1;
constexpr std::uint8_t SerialRequestType = 2;
constexpr std::uint8_t CommandType = 3;
constexpr std::uint8_t StartScanCode = 7;

struct BoardConfig {
    Scenario scenario;
    // The first report the board sends is an ApReportLowBattery (13).
    bool lowBattery = false;
    // Scans hear nothing: channel messages and ScanComplete only.
    bool silent = false;
    FaultSet faults;
};

class Board {
public:
    explicit Board(BoardConfig config);

    // Takes any number of bytes, in pieces of any size; answers every
    // complete request among them.
    Transmission receive(std::span<const std::uint8_t> bytes);
    // May be called from any thread.
    void setSurveyPosition(Point position);

private:
    void answer(const Frame& request, Transmission& out);
    void scan(Transmission& out);
    void report(std::size_t apIndex, std::int8_t rssi, Transmission& out);
    Point surveyPosition();

    BoardConfig m_config;
    RadioModel m_radio;
    FrameDecoder m_decoder;
    std::mt19937 m_random;
    std::mutex m_positionLock;
    Point m_position;
    bool m_lowBatterySent = false;
    // Per access point: the next 802.11 sequence number.
    std::vector<std::uint16_t> m_sequence;
    // Counts captures; carried in the board prefix of each capture.
    std::uint16_t m_captureCount = 0;
    // The beacons' timestamp: one beacon interval per capture.
    std::uint64_t m_clockMicroseconds = 0;
};

} // namespace marlow::sim
