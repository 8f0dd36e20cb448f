// wifiboard: plays the analyzer board with this computer's own Wi-Fi
// adapter, on a pseudo-terminal or a serial device, and records its sweeps
// (see usageText()).
#include "BoardConsole.h"
#include "SweepRecorder.h"
#include "WifiboardCommandLine.h"
#include "wifi/WifiBoard.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

namespace {

using namespace marlow;

// Notes and the recording, on the board's thread after each sweep.
class SweepReport {
public:
    explicit SweepReport(std::optional<sweeplog::SweepRecorder> recorder)
        : m_recorder(std::move(recorder)) {}

    void setInterface(std::string name) { m_interface = std::move(name); }
    bool recordingFailed() const { return m_failed; }

    void operator()(const wifi::Sweep& sweep, std::optional<board::SurveyPosition> position) {
        for (const std::string& note : sweep.notes)
            std::fprintf(stderr, "wifiboard: %s\n", note.c_str());
        if (sweep.dropped > 0)
            std::fprintf(stderr, "wifiboard: %zu access points beyond the first %zu left out\n",
                         sweep.dropped, wifi::MaxBssPerSweep);
        if (!m_recorder)
            return;
        sweeplog::RecordedSweep recorded;
        recorded.time =
            std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
        recorded.position = position;
        recorded.interfaceName = m_interface;
        recorded.sweep = sweep;
        if (const Result<void> written = m_recorder->append(recorded); !written) {
            std::fprintf(stderr, "wifiboard: this sweep was not recorded: %s\n",
                         written.error().message.c_str());
            m_failed = true;
        }
    }

private:
    std::optional<sweeplog::SweepRecorder> m_recorder;
    std::string m_interface;
    std::atomic<bool> m_failed = false;
};

} // namespace

int main(int argc, char** argv) {
    const Result<wifiboard::CommandLine> parsed =
        wifiboard::parseCommandLine({argv + 1, argv + argc});
    if (!parsed) {
        std::fprintf(stderr, "wifiboard: %s\nTry \"wifiboard --help\".\n",
                     parsed.error().message.c_str());
        return 2;
    }
    const wifiboard::CommandLine& line = *parsed;
    if (line.help) {
        std::fwrite(wifiboard::usageText().data(), 1, wifiboard::usageText().size(), stdout);
        return 0;
    }

    std::optional<sweeplog::SweepRecorder> recorder;
    if (line.recordPath) {
        Result<sweeplog::SweepRecorder> opened = sweeplog::SweepRecorder::open(*line.recordPath);
        if (!opened) {
            std::fprintf(stderr, "wifiboard: %s\n", opened.error().message.c_str());
            return 2;
        }
        recorder.emplace(std::move(opened).value());
    }
    SweepReport report(std::move(recorder));

    // Blocked before the serving thread starts, so only the signal
    // descriptor sees them.
    Result<console::StopSignals> stop = console::StopSignals::block();
    if (!stop) {
        std::fprintf(stderr, "wifiboard: %s\n", stop.error().message.c_str());
        return 1;
    }

    wifi::WifiBoardOptions options;
    options.interfaceName = line.interfaceName;
    options.bands = line.bands;
    options.sweepLimit = line.sweepLimit;
    // A pseudo-terminal needs no pacing; a serial line paces itself.
    options.line.pacing = false;
    options.onSweep = [&report](const wifi::Sweep& sweep,
                                std::optional<board::SurveyPosition> position) {
        report(sweep, position);
    };
    Result<std::unique_ptr<wifi::WifiBoard>> opened = wifi::WifiBoard::open(std::move(options));
    if (!opened) {
        std::fprintf(stderr, "wifiboard: %s\n", opened.error().message.c_str());
        return 2;
    }
    wifi::WifiBoard& wifiBoard = **opened;
    report.setInterface(wifiBoard.adapter().name);
    board::BoardServer& server = wifiBoard.server();
    const Result<void> started = line.serialDevice ? server.startOnSerialDevice(*line.serialDevice)
                                                   : server.startOnPseudoTerminal();
    if (!started) {
        std::fprintf(stderr, "wifiboard: %s\n", started.error().message.c_str());
        return 1;
    }
    std::fprintf(stderr, "wifiboard: %s\n", wifiBoard.modeDescription().c_str());
    std::printf("%s\n", server.devicePath().c_str());
    std::fflush(stdout);
    console::serveConsole(server, *stop, "wifiboard");
    server.stop();
    return report.recordingFailed() ? 1 : 0;
}
