// A temporary directory for one test, removed with everything in it, and
// whole-file byte helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlow::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);

} // namespace marlow::test
