// Appends recorded sweeps to a file, one JSON line each (see SweepJson.h).
// Each line goes to disk whole before the next sweep (written in one piece
// and synced), and a line the disk could not take in full is cut off again,
// so that the file always holds whole sweeps and a crash or a full disk
// loses at most the sweep being written. The file is appended to, so that
// an earlier recording under the same name is kept.
#pragma once

#include "SweepJson.h"
#include "base/Result.h"

#include <string>

namespace marlow::sweeplog {

class SweepRecorder {
public:
    static Result<SweepRecorder> open(const std::string& path);
    SweepRecorder(SweepRecorder&& other) noexcept;
    SweepRecorder(const SweepRecorder&) = delete;
    SweepRecorder& operator=(const SweepRecorder&) = delete;
    SweepRecorder& operator=(SweepRecorder&&) = delete;
    ~SweepRecorder();

    // Fails with the reason, the file as it was before.
    Result<void> append(const RecordedSweep& sweep);
    const std::string& path() const { return m_path; }

private:
    SweepRecorder(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    std::string m_path;
};

} // namespace marlow::sweeplog
