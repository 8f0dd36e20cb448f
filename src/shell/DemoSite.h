// Where the demo's sample site is: found from the program's own folder, so
// that a moved build tree or an installed program finds it, never through
// a path compiled into the program.
#pragma once

#include "base/Result.h"

#include <filesystem>
#include <string>

namespace marlow {

// The sample office site for a program in programFolder: share/marlow/
// beside an installed program's bin/, else resources/ of the build tree the
// program was built in. Fails, naming the places looked in, when neither
// holds it.
Result<std::string> findDemoSite(const std::filesystem::path& programFolder);

} // namespace marlow
