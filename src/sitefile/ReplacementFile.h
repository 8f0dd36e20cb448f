// ReplacementFile: a new file written beside the one it replaces and renamed
// over it only when complete and on disk, so that a failed or interrupted
// save leaves the previous file as it was.
#pragma once

#include "base/Result.h"

#include <string>

namespace marlow {

class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file in the target's directory (following a
    // symbolic link to the real file).
    Result<void> create(const std::string& target);
    int fd() const { return m_fd; }
    // The file being replaced, after links are followed.
    const std::string& target() const { return m_target; }

    // Flushes the new file to disk, gives it the old file's permissions and
    // renames it over the target. On failure the target is untouched and
    // the temporary file removed.
    Result<void> commit();

private:
    void discard();

    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
};

} // namespace marlow
