// The simulator on a pseudo-terminal with a log of what it reads.
#include "SimulatedBoard.h"

#include "boardsim/OfficeScenario.h"

#include <algorithm>
#include <stdexcept>

namespace marlow::e2e {
namespace {

sim::SimulatorConfig unpaced(sim::BoardConfig board,
                             std::function<void(std::span<const std::uint8_t>)> monitor) {
    sim::SimulatorConfig config;
    config.board = std::move(board);
    config.pacing = false;
    config.onReceived = std::move(monitor);
    return config;
}

} // namespace

sim::BoardConfig officeBoard() {
    sim::ScenarioResult office = sim::parseScenario(sim::officeScenarioText());
    if (!office.error.empty())
        throw std::runtime_error("office scenario: " + office.error);
    sim::BoardConfig config;
    config.scenario = std::move(office.scenario);
    return config;
}

SimulatedBoard::SimulatedBoard(sim::BoardConfig config)
    : m_simulator(unpaced(std::move(config),
                          [this](std::span<const std::uint8_t> bytes) { log(bytes); })) {}

void SimulatedBoard::log(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(m_mutex);
        m_received.insert(m_received.end(), bytes.begin(), bytes.end());
    }
    m_grew.notify_all();
}

sim::Bytes SimulatedBoard::received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

bool SimulatedBoard::waitForReceived(const std::function<bool(const sim::Bytes&)>& condition) {
    std::unique_lock lock(m_mutex);
    return m_grew.wait_for(lock, Patience, [&] { return condition(m_received); });
}

bool SimulatedBoard::waitForFrame(std::uint8_t type, const sim::Bytes& payload) {
    const sim::Bytes frame = sim::encodeFrame(type, payload);
    return waitForReceived([&](const sim::Bytes& bytes) {
        return std::search(bytes.begin(), bytes.end(), frame.begin(), frame.end()) != bytes.end();
    });
}

std::vector<sim::Frame> SimulatedBoard::framesReceived() const {
    sim::FrameDecoder decoder;
    return decoder.feed(received());
}

} // namespace marlow::e2e
