// The scenario of the sample office site (office-scenario.json), built in so
// that the tool runs without any file.
#pragma once

#include <string_view>

namespace marlow::sim {

std::string_view officeScenarioText();

} // namespace marlow::sim
