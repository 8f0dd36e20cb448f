// The board's radio over the computer's own Wi-Fi adapter: a sweep of the
// board is one sweep of the adapter. The board's first listen() of a sweep
// runs the adapter's sweep (blocking until it ends) and every listen()
// answers with what it heard on that channel, so the board sends each
// channel's reports after its own channel message, in channel order. A sweep
// started over by a second start-scan command sweeps the air again.
#pragma once

#include "board/RadioSource.h"
#include "wifi/BoardBeacons.h"
#include "wifi/Channels.h"
#include "wifi/Sweep.h"

#include <functional>
#include <mutex>
#include <optional>

namespace marlow::wifi {

class WifiRadio final : public board::RadioSource {
public:
    // Told of each sweep the adapter completes, on the board's thread, with
    // where the surveyor stood when the board's sweep started (nothing before
    // the first position): to record it, and to show its notes.
    using SweepObserver =
        std::function<void(const Sweep& sweep, std::optional<board::SurveyPosition> position)>;

    // The source must outlive the radio.
    WifiRadio(SweepSource& source, Bands bands, SweepObserver observer = {});

    // Every channel of the bands, ascending.
    std::vector<std::uint8_t> sweepChannels() const override;
    // Forgets what the last sweep heard: the next listen() sweeps again.
    void sweepStarted() override;
    std::vector<board::HeardBeacon> listen(std::uint8_t channel) override;
    void setSurveyPosition(board::SurveyPosition position) override;
    // Ends the adapter's sweep in progress; its listen() returns what the
    // sweep had heard by then.
    void interrupt() override;

private:
    SweepSource& m_source;
    const Bands m_bands;
    const SweepObserver m_observer;
    // What this sweep heard on the channels not yet listened to; nothing
    // until its first listen().
    std::optional<BeaconsByChannel> m_heard;
    // Where the surveyor stood when the board's sweep started.
    std::optional<board::SurveyPosition> m_sweepPosition;

    // Where the surveyor stands now; set from any thread.
    std::mutex m_positionLock;
    std::optional<board::SurveyPosition> m_position;
};

} // namespace marlow::wifi
