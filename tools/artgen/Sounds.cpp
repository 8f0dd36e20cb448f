// Synthesis of the two sounds and the RIFF WAVE writer.
#include "Sounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <numbers>

namespace marlow::artgen {

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

constexpr double PingSeconds = 1.7;
constexpr double AlarmSeconds = 1.0;

// A struck bell-like tone: a few partials, the higher ones dying sooner.
struct Chime {
    double start;     // seconds
    double frequency; // Hz
    double amplitude;
};

struct Partial {
    double ratio;
    double level;
    double decay; // seconds for the level to fall by 1/e
};

constexpr Chime PingChimes[] = {{0.0, 1318.5, 0.45}, {0.30, 1046.5, 0.50}};
constexpr Partial ChimePartials[] = {{1.0, 1.0, 0.38}, {2.0, 0.30, 0.16}, {2.76, 0.12, 0.09}};
constexpr double ChimeAttack = 0.004;
constexpr double FadeOut = 0.03;

std::size_t sampleCount(double seconds) {
    return static_cast<std::size_t>(std::lround(seconds * SampleRate));
}

std::uint8_t toUnsigned8(double value) {
    const double scaled = std::round(128.0 + 127.0 * std::clamp(value, -1.0, 1.0));
    return static_cast<std::uint8_t>(scaled);
}

// Ramps the last FadeOut seconds down to silence so the sound ends without
// a click.
double tailGain(std::size_t i, std::size_t count) {
    const double remaining = static_cast<double>(count - i) / SampleRate;
    return std::min(1.0, remaining / FadeOut);
}

double chimeAt(const Chime& chime, double t) {
    const double local = t - chime.start;
    if (local < 0.0)
        return 0.0;
    const double attack = std::min(1.0, local / ChimeAttack);
    double value = 0.0;
    for (const Partial& partial : ChimePartials)
        value += partial.level * std::exp(-local / partial.decay) *
                 std::sin(TwoPi * chime.frequency * partial.ratio * local);
    return chime.amplitude * attack * value;
}

// The alarm: two rising whoops of a square-ish tone, harmonics kept below
// the Nyquist frequency.
constexpr double WhoopSeconds = 0.46;
constexpr double WhoopGap = 0.04;
constexpr double WhoopLow = 440.0;
constexpr double WhoopHigh = 920.0;
constexpr double WhoopEdge = 0.012;
constexpr double AlarmLevel = 0.62;
constexpr double HarmonicCeiling = 5000.0;

double squareish(double phase, double frequency) {
    double value = 0.0;
    for (int k = 1; k * frequency < HarmonicCeiling; k += 2)
        value += std::sin(k * phase) / k;
    return value * 4.0 / std::numbers::pi;
}

} // namespace

std::vector<std::uint8_t> pingSamples() {
    const std::size_t count = sampleCount(PingSeconds);
    std::vector<std::uint8_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        double value = 0.0;
        for (const Chime& chime : PingChimes)
            value += chimeAt(chime, t);
        samples[i] = toUnsigned8(value * tailGain(i, count));
    }
    return samples;
}

std::vector<std::uint8_t> redAlertSamples() {
    const std::size_t count = sampleCount(AlarmSeconds);
    std::vector<std::uint8_t> samples(count);
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double local = std::fmod(t, WhoopSeconds + WhoopGap);
        double value = 0.0;
        if (local < WhoopSeconds) {
            const double rise = local / WhoopSeconds;
            const double frequency = WhoopLow * std::pow(WhoopHigh / WhoopLow, rise);
            phase = std::fmod(phase + TwoPi * frequency / SampleRate, TwoPi);
            const double edge =
                std::min({1.0, local / WhoopEdge, (WhoopSeconds - local) / WhoopEdge});
            value = AlarmLevel * edge * squareish(phase, frequency);
        } else {
            phase = 0.0;
        }
        samples[i] = toUnsigned8(value * tailGain(i, count));
    }
    return samples;
}

bool writeWave(const std::string& path, const std::vector<std::uint8_t>& samples) {
    constexpr std::uint32_t FmtSize = 16;
    constexpr std::uint16_t Pcm = 1;
    constexpr std::uint16_t Channels = 1;
    constexpr std::uint16_t BitsPerSample = 8;
    constexpr std::uint16_t BlockAlign = Channels * BitsPerSample / 8;
    const auto dataSize = static_cast<std::uint32_t>(samples.size());
    // A chunk of odd size is followed by a pad byte, counted in the RIFF size.
    const std::uint32_t pad = dataSize % 2;
    const std::uint32_t riffSize = 4 + (8 + FmtSize) + (8 + dataSize + pad);

    std::array<std::uint8_t, 44> header{};
    std::size_t at = 0;
    const auto text = [&](const char* four) {
        for (int i = 0; i < 4; ++i)
            header[at++] = static_cast<std::uint8_t>(four[i]);
    };
    const auto u16 = [&](std::uint16_t v) {
        header[at++] = static_cast<std::uint8_t>(v);
        header[at++] = static_cast<std::uint8_t>(v >> 8);
    };
    const auto u32 = [&](std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    };
    text("RIFF");
    u32(riffSize);
    text("WAVE");
    text("fmt ");
    u32(FmtSize);
    u16(Pcm);
    u16(Channels);
    u32(SampleRate);
    u32(SampleRate * BlockAlign);
    u16(BlockAlign);
    u16(BitsPerSample);
    text("data");
    u32(dataSize);

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(header.data()), header.size());
    file.write(reinterpret_cast<const char*>(samples.data()),
               static_cast<std::streamsize>(samples.size()));
    if (pad)
        file.put('\0');
    return static_cast<bool>(file.flush());
}

} // namespace marlow::artgen
