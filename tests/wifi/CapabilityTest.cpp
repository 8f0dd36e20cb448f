// The permission to ask for scans as the real tools grant it: a copy of a
// probe given CAP_NET_ADMIN with setcap, run as an unprivileged user with
// setpriv, holds it; the same probe without it does not. Needs root and
// the tools, and a file system that keeps file capabilities.
#include "TempDir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace marlow::wifi {
namespace {

std::string run(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[128];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        ::pclose(pipe);
    }
    return output;
}

TEST(Capability, GrantedWithSetcapToAnUnprivilegedUser) {
    if (::geteuid() != 0 || run("command -v setcap setpriv").empty())
        GTEST_SKIP() << "needs root, setcap and setpriv";
    test::TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const std::string plain = dir.file("probe");
    const std::string granted = dir.file("granted-probe");
    std::filesystem::copy_file(CAPABILITY_PROBE, plain);
    std::filesystem::copy_file(CAPABILITY_PROBE, granted);
    if (std::system(("setcap cap_net_admin+ep " + granted + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this file system keeps no file capabilities";
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    EXPECT_EQ(run(asNobody + plain), "may not scan\n");
    EXPECT_EQ(run(asNobody + granted), "may scan\n");
}

} // namespace
} // namespace marlow::wifi
