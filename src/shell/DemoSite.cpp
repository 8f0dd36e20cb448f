// Looking for the demo's sample site beside the program.
#include "shell/DemoSite.h"

#include <array>
#include <system_error>

namespace marlow {

Result<std::string> findDemoSite(const std::filesystem::path& programFolder) {
    // An installed program lives in PREFIX/bin; one in a build tree in
    // BUILD/src/shell.
    const std::array<std::filesystem::path, 2> places = {
        programFolder / ".." / "share" / "marlow" / "office.tws",
        programFolder / ".." / ".." / "resources" / "office.tws",
    };
    std::string looked;
    for (const std::filesystem::path& place : places) {
        std::error_code error;
        if (std::filesystem::is_regular_file(place, error))
            return std::filesystem::weakly_canonical(place, error).string();
        looked += (looked.empty() ? "" : ", ") + place.lexically_normal().string();
    }
    return fail(Error{"the sample site is in none of " + looked});
}

Result<std::string> demoWorkingCopy(const std::string& sample,
                                    const std::filesystem::path& dataFolder) {
    const std::filesystem::path copy = dataFolder / "office.tws";
    std::error_code error;
    if (std::filesystem::is_regular_file(copy, error))
        return copy.string();
    std::filesystem::create_directories(dataFolder, error);
    if (!error)
        std::filesystem::copy_file(sample, copy, error);
    if (error)
        return fail(
            Error{"cannot copy the sample site to " + copy.string() + ": " + error.message()});
    return copy.string();
}

} // namespace marlow
