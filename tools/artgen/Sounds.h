// The program's two sounds, synthesised: PING, a decaying two-tone chime
// played when a point is taken, and REDALERT, an alarm played when a scan
// heard nothing. Both are 8-bit unsigned mono PCM at 11025 samples/s.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlow::artgen {

inline constexpr int SampleRate = 11025;

std::vector<std::uint8_t> pingSamples();
std::vector<std::uint8_t> redAlertSamples();

// Writes the samples as a RIFF WAVE file. False when the file cannot be
// written.
bool writeWave(const std::string& path, const std::vector<std::uint8_t>& samples);

} // namespace marlow::artgen
