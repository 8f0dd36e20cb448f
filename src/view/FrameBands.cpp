// FrameBands: helper threads woken for each large frame, taking its bands
// from a shared counter with the thread that paints.
#include "view/FrameBands.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace marlow {

namespace {

// An area is cut into bands only when it has this many pixels, and no band
// has fewer rows than MinBandRows: below that, waking a helper costs more
// than it saves.
constexpr std::int64_t MinBandedPixels = std::int64_t{1} << 17;
constexpr std::int32_t MinBandRows = 64;
constexpr unsigned MostThreads = 8;

using BandDraw = std::function<void(std::int32_t, std::int32_t)>;

// One frame's bands, taken one at a time by whichever thread is free.
struct Job {
    std::int32_t top = 0;
    std::int32_t bottom = 0;
    std::int32_t rowsPerBand = 1;
    std::int32_t count = 0;
    // Used only while bands remain, which the painting thread waits for.
    const BandDraw* draw = nullptr;
    std::atomic<std::int32_t> next{0};
    std::mutex lock;
    std::condition_variable finished;
    std::int32_t done = 0;

    void work() {
        for (std::int32_t band = next++; band < count; band = next++) {
            const std::int32_t from = top + band * rowsPerBand;
            (*draw)(from, std::min(from + rowsPerBand, bottom));
            const std::lock_guard guard(lock);
            if (++done == count)
                finished.notify_all();
        }
    }

    void waitForAll() {
        std::unique_lock guard(lock);
        finished.wait(guard, [this] { return done == count; });
    }
};

// Threads kept for the program's run, one fewer than the cores, each woken
// for every job offered.
class Helpers {
public:
    Helpers() {
        const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, MostThreads);
        for (unsigned i = 1; i < cores; ++i) {
            try {
                m_threads.emplace_back([this] { run(); });
            } catch (const std::system_error&) {
                break; // fewer helpers: the painting thread does the rest
            }
        }
    }
    ~Helpers() {
        {
            const std::lock_guard guard(m_lock);
            m_quit = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;

    std::int32_t count() const { return static_cast<std::int32_t>(m_threads.size()); }

    void offer(std::shared_ptr<Job> job) {
        {
            const std::lock_guard guard(m_lock);
            m_job = std::move(job);
            ++m_offered;
        }
        m_wake.notify_all();
    }

private:
    void run() {
        std::uint64_t seen = 0;
        std::unique_lock guard(m_lock);
        for (;;) {
            m_wake.wait(guard, [&] { return m_quit || m_offered != seen; });
            if (m_quit)
                return;
            seen = m_offered;
            const std::shared_ptr<Job> job = m_job;
            guard.unlock();
            job->work();
            guard.lock();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::shared_ptr<Job> m_job;
    std::uint64_t m_offered = 0;
    bool m_quit = false;
    std::vector<std::thread> m_threads;
};

} // namespace

void drawInBands(std::int32_t top, std::int32_t bottom, std::int32_t width, const BandDraw& draw) {
    const std::int32_t rows = bottom - top;
    if (rows <= 0)
        return;
    static Helpers helpers;
    const std::int32_t count = std::int64_t{rows} * std::max(width, 0) < MinBandedPixels
                                   ? 1
                                   : std::min(helpers.count() + 1, rows / MinBandRows);
    if (count <= 1) {
        draw(top, bottom);
        return;
    }
    auto job = std::make_shared<Job>();
    job->top = top;
    job->bottom = bottom;
    job->rowsPerBand = (rows + count - 1) / count;
    job->count = (rows + job->rowsPerBand - 1) / job->rowsPerBand;
    job->draw = &draw;
    helpers.offer(job);
    job->work();
    job->waitForAll();
}

} // namespace marlow
