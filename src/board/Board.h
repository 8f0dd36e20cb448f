// The analyzer board's side of the exchanges, free of any transport: bytes
// from the handheld go in, the board's answers go out on its line. It
// answers type 1 with its firmware text and type 2 with its serial-number
// text (both zero-terminated), takes type 8 silently, and on type 3 with
// code 7 sweeps the channels its radio names: for each, ScanChannel (16) and
// then one ApReport (15) per sample of each transmitter heard there; then
// ScanComplete (17).
//
// A sweep goes out step by step, two steps a channel, so that whoever
// drives the board can look for the handheld's bytes between the steps. A
// start-scan command that arrives while a sweep runs abandons it and starts
// a new one from the first channel, as when the surveyor taps again; boards
// that queue such a command or ignore it can be chosen too.
//
// The 802.11 sequence number of each transmitter, the count of captures and
// the beacons' timestamps are the board's, kept across sweeps.
#pragma once

#include "board/BoardLine.h"
#include "board/RadioSource.h"
#include "protocol/FrameParser.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace marlow::board {

// What a board does with a start-scan command that arrives during a sweep.
enum class SecondScan {
    // Abandons the sweep (no ScanComplete) and starts a new one.
    Restart,
    // Finishes the sweep, then sweeps once more for each such command.
    Queue,
    // Finishes the sweep; the command is lost.
    Ignore,
};

struct BoardConfig {
    std::string firmware = "1.07";
    std::string serial = "TB-000417";
    // The first report the board sends is an ApReportLowBattery (13).
    bool lowBattery = false;
    SecondScan secondScan = SecondScan::Restart;
};

class Board {
public:
    // The radio must outlive the board.
    Board(BoardConfig config, RadioSource& radio);

    // Takes any number of bytes, in pieces of any size, and answers every
    // complete request among them on the line; a start-scan command starts a
    // sweep (over) and leaves its steps to step().
    void receive(std::span<const std::uint8_t> bytes, BoardLine& line);

    bool sweeping() const { return m_sweeping; }
    // The next step of the sweep: the next channel's ScanChannel, then in
    // a step of its own what the radio hears there, and after the last
    // channel the closing ScanComplete. The channel goes out before the
    // radio listens, so the handheld shows it while a slow radio waits.
    void step(BoardLine& line);

private:
    void answer(std::uint8_t type, std::span<const std::uint8_t> payload, BoardLine& line);
    void startSweep();
    void report(const HeardBeacon& heard, std::uint8_t channel,
                std::span<const std::uint8_t> elements, std::int8_t rssi, BoardLine& line);

    const BoardConfig m_config;
    RadioSource& m_radio;
    FrameParser m_parser;

    bool m_sweeping = false;
    std::vector<std::uint8_t> m_channels;
    std::size_t m_nextChannel = 0;
    // The next channel's ScanChannel has gone out; its reports have not.
    bool m_announced = false;
    // Start-scan commands queued behind the running sweep.
    int m_queuedSweeps = 0;

    bool m_lowBatterySent = false;
    // Per transmitter: the next 802.11 sequence number.
    std::map<MacAddress, std::uint16_t> m_sequence;
    // Counts captures; carried in the board prefix of each capture.
    std::uint16_t m_captureCount = 0;
    // The beacons' timestamp: one beacon interval per capture.
    std::uint64_t m_clockMicroseconds = 0;
};

} // namespace marlow::board
