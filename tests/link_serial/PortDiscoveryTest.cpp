// Port discovery over a registry held in memory: which active driver key
// wins, the key limits, the exact-case prefixes and the fallback.
#include "link/serial/PortDiscovery.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace marlow {
namespace {

class FakeRegistry final : public DriverRegistry {
public:
    void add(int number, const std::string& pnpId, std::optional<std::string> name) {
        auto& values = m_keys[activeDriverKey(number)];
        values["PnpId"] = pnpId;
        if (name)
            values["Name"] = *name;
    }
    std::optional<std::string> readString(const std::string& key,
                                          const std::string& valueName) const override {
        const auto found = m_keys.find(key);
        if (found == m_keys.end() || !found->second.contains(valueName))
            return std::nullopt;
        return found->second.at(valueName);
    }

private:
    std::map<std::string, std::map<std::string, std::string>> m_keys;
};

struct Entry {
    int number;
    const char* pnpId;
    const char* name; // null: the key has no "Name"
};

struct DiscoveryCase {
    const char* what;
    std::vector<Entry> entries;
    const char* port;
};

TEST(PortDiscovery, FindsThePortOfTheAdapter) {
    const std::vector<DiscoveryCase> cases = {
        {"empty registry", {}, "COM1:"},
        {"first pass wins over key order",
         {{3, "Socket CF serial", "COM3:"}, {7, "Quatech SSP-100", "COM7:"}},
         "COM7:"},
        {"last key of the first pass", {{50, "Quatech", "COM5:"}}, "COM5:"},
        {"first pass stops at key 50", {{51, "Quatech", "COM5:"}}, "COM1:"},
        {"last key of the second pass", {{40, "Socket", "COM4:"}}, "COM4:"},
        {"second pass stops at key 40", {{41, "Socket", "COM4:"}}, "COM1:"},
        {"prefix case is exact", {{2, "quatech SSP", "COM2:"}, {3, "SOCKET", "COM3:"}}, "COM1:"},
        {"prefix must be whole", {{2, "Quatec", "COM2:"}, {3, "Sock", "COM3:"}}, "COM1:"},
        {"key without Name is passed over",
         {{2, "Quatech A", nullptr}, {5, "Quatech B", "COM5:"}},
         "COM5:"},
        {"no Name in the first pass: second pass",
         {{2, "Quatech A", nullptr}, {4, "Socket B", "COM4:"}},
         "COM4:"},
        {"earliest key of a pass", {{9, "Socket 2", "COM9:"}, {8, "Socket 1", "COM8:"}}, "COM8:"},
    };
    for (const DiscoveryCase& c : cases) {
        FakeRegistry registry;
        for (const Entry& entry : c.entries)
            registry.add(entry.number, entry.pnpId,
                         entry.name ? std::optional<std::string>(entry.name) : std::nullopt);
        EXPECT_EQ(discoverPort(registry), c.port) << c.what;
    }
}

TEST(PortDiscovery, KeyNamesHaveTwoDigits) {
    EXPECT_EQ(activeDriverKey(0), "Drivers\\Active\\00");
    EXPECT_EQ(activeDriverKey(7), "Drivers\\Active\\07");
    EXPECT_EQ(activeDriverKey(50), "Drivers\\Active\\50");
}

TEST(PortDiscovery, PortNamesMapToDevices) {
    EXPECT_EQ(devicePathForPort(discoverPort(FakeRegistry())), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort("COM3:"), "/dev/ttyS2");
    EXPECT_EQ(devicePathForPort("/dev/ttyUSB0"), "/dev/ttyUSB0");
    for (const char* kept : {"COM0:", "COM:", "COMX:", "COM1", "COM-1:"})
        EXPECT_EQ(devicePathForPort(kept), kept);
}

} // namespace
} // namespace marlow
