// Building the registry from sysfs. A tty without a "device" link is virtual
// (consoles, ptmx, pseudo-terminals). A legacy 8250 port whose "type" is 0
// (no UART answered at its address) has a device link but nothing behind it;
// it is left out as well, so that the fallback "COM1:" stays meaningful.
#include "SysfsRegistry.h"

#include "PortDiscovery.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace marlow {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> readAttribute(const fs::path& file) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool isEmptyLegacyPort(const fs::path& tty) {
    return readAttribute(tty / "type") == "0";
}

// The USB device's "manufacturer" and "product", found by walking up from the
// tty's device towards the sysfs root.
std::optional<std::string> usbStrings(const fs::path& device, const fs::path& root) {
    const std::string rootText = root.string() + "/";
    for (fs::path dir = device; dir.string().starts_with(rootText); dir = dir.parent_path()) {
        const auto maker = readAttribute(dir / "manufacturer");
        const auto product = readAttribute(dir / "product");
        if (!maker && !product)
            continue;
        if (maker && product)
            return *maker + " " + *product;
        return maker ? *maker : *product;
    }
    return std::nullopt;
}

std::optional<std::string> driverName(const fs::path& device) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    if (error)
        return std::nullopt;
    return driver.filename().string();
}

} // namespace

SysfsRegistry::SysfsRegistry(const std::string& sysfsRoot) {
    std::error_code error;
    const fs::path root = fs::canonical(sysfsRoot, error);
    if (error)
        return;
    const fs::path ttyClass = root / "class" / "tty";
    std::vector<std::string> ttys;
    for (auto it = fs::directory_iterator(ttyClass, error);
         !error && it != fs::directory_iterator(); it.increment(error))
        ttys.push_back(it->path().filename().string());
    std::sort(ttys.begin(), ttys.end());

    for (const std::string& tty : ttys) {
        const fs::path ttyPath = ttyClass / tty;
        const fs::path device = fs::canonical(ttyPath / "device", error);
        if (error || isEmptyLegacyPort(ttyPath))
            continue;
        auto pnpId = usbStrings(device, root);
        if (!pnpId)
            pnpId = driverName(device);
        m_entries.push_back({std::move(pnpId), "/dev/" + tty});
    }
}

std::optional<std::string> SysfsRegistry::readString(const std::string& key,
                                                     const std::string& valueName) const {
    const std::string_view prefix(ActiveDriverPrefix);
    if (!key.starts_with(prefix))
        return std::nullopt;
    const char* first = key.data() + prefix.size();
    const char* last = key.data() + key.size();
    std::size_t number = 0;
    const auto [end, failure] = std::from_chars(first, last, number);
    if (failure != std::errc() || end != last || number >= m_entries.size())
        return std::nullopt;
    const Entry& entry = m_entries[number];
    if (valueName == "PnpId")
        return entry.pnpId;
    if (valueName == "Name")
        return entry.name;
    return std::nullopt;
}

} // namespace marlow
