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

// The surveyor's own copy of the sample site in dataFolder, made from the
// sample when there is none yet: the demo's points are saved there, never
// into the installed (read-only) or built sample. An existing copy is kept
// as it is, with the points saved in it. Fails, saying why, when the copy
// cannot be made.
Result<std::string> demoWorkingCopy(const std::string& sample,
                                    const std::filesystem::path& dataFolder);

} // namespace marlow
