// Running the built tws program from a test, in a temporary folder that
// holds a new site.
#pragma once

#include "SiteFixtures.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace marlow::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class TwsTool : public ::testing::Test {
protected:
    void SetUp() override { makeSite(site); }

    // Runs tws with its output and errors caught in files; every word quoted.
    // The shell runs `before` first (to set a limit, say); output goes to
    // `outPath` instead when one is given, and is then not read back.
    ToolRun run(const std::vector<std::string>& args, const std::string& before = {},
                const std::string& outPath = {}) const {
        const std::string out = outPath.empty() ? dir.file("tws.out") : outPath;
        std::string command = before + "'" + std::string(TWS_BINARY) + "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        command += " >'" + out + "' 2>'" + dir.file("tws.err") + "'";
        const int status = std::system(command.c_str());
        const auto text = [](const std::string& path) {
            const Bytes bytes = readBytes(path);
            return std::string(bytes.begin(), bytes.end());
        };
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                outPath.empty() ? text(out) : std::string(), text(dir.file("tws.err"))};
    }

    TempDir dir;
    const std::string site = dir.file("site.tws");
};

} // namespace marlow::test
