// The site the benchmarks work on: a 4000 x 3000 floor plan and 8,000 surveyed
// points of four access points each, written once into a fresh directory
// under /tmp that is removed again with the fixture.
#pragma once

#include "sitefile/SiteFileState.h"
#include "store/RecordList.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace marlow::bench {

constexpr std::int32_t PlanWidth = 4000;
constexpr std::int32_t PlanHeight = 3000;
constexpr int PointCount = 8000;
constexpr int ApsPerPoint = 4;
constexpr std::size_t RecordCount = std::size_t{PointCount} * ApsPerPoint;
// Every save writes the same time, so the site file's bytes never change.
constexpr std::uint32_t SaveTime = 1700000000;

// A directory made with mkdtemp and removed with everything in it.
class TemporaryDirectory {
public:
    TemporaryDirectory(); // throws std::system_error
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    std::string pathOf(std::string_view name) const;

private:
    std::string m_path;
};

class BenchSite {
public:
    // Writes and checks the site file; throws std::runtime_error when that
    // fails.
    BenchSite();
    BenchSite(const BenchSite&) = delete;
    BenchSite& operator=(const BenchSite&) = delete;

    const std::string& sitePath() const { return m_sitePath; }
    // A file name in the same directory, for copies.
    std::string pathOf(std::string_view name) const { return m_directory.pathOf(name); }
    const RecordList& store() const { return m_store; }
    // The site as opened and saved: what another save needs.
    const SiteFileState& file() const { return m_file; }

private:
    TemporaryDirectory m_directory;
    std::string m_sitePath;
    RecordList m_store;
    SiteFileState m_file;
};

} // namespace marlow::bench
