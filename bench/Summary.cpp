// The closing summary table, timed with std::chrono: the medians of several
// rounds, each round running the subject and its baseline back to back in
// alternating order.
#include "Summary.h"

#include "Baselines.h"
#include "SiteOperations.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace marlow::bench {

namespace {

constexpr int ReadRounds = 21;
constexpr int SaveRounds = 15;
constexpr double RatioTarget = 1.5;
constexpr double BytesPerRecordTarget = 256.0;

using Clock = std::chrono::steady_clock;

// Times one run. The operation's result is destroyed after the clock stops,
// so freeing what was read is not counted.
template <typename Operation> double secondsOf(const Operation& operation) {
    const auto start = Clock::now();
    const auto result = operation();
    const auto stop = Clock::now();
    if (!result)
        throw std::runtime_error("an operation failed while timing the summary");
    return std::chrono::duration<double>(stop - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <typename Operation> double medianSeconds(int rounds, const Operation& operation) {
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round)
        times.push_back(secondsOf(operation));
    return median(times);
}

struct Comparison {
    double subject = 0.0;
    double baseline = 0.0;
    double ratio() const { return subject / baseline; }
};

template <typename Subject, typename Baseline>
Comparison compare(int rounds, const Subject& subject, const Baseline& baseline) {
    std::vector<double> subjectTimes;
    std::vector<double> baselineTimes;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            subjectTimes.push_back(secondsOf(subject));
            baselineTimes.push_back(secondsOf(baseline));
        } else {
            baselineTimes.push_back(secondsOf(baseline));
            subjectTimes.push_back(secondsOf(subject));
        }
    }
    return {median(subjectTimes), median(baselineTimes)};
}

const char* verdict(bool met) {
    return met ? "ok" : "MISSED";
}

void printRow(const char* what, const Comparison& c) {
    std::printf("%-34s %9.2f ms %9.2f ms %7.2f  <= %.1f  %s\n", what, c.subject * 1e3,
                c.baseline * 1e3, c.ratio(), RatioTarget, verdict(c.ratio() <= RatioTarget));
}

} // namespace

void printSummary(const BenchSite& site) {
    const std::string& path = site.sitePath();
    const std::string copyPath = site.pathOf("copy.site");

    const Comparison read = compare(
        ReadRounds, [&] { return readSite(path); }, [&] { return readWholeFile(path); });

    // Dirty pages left by earlier unflushed copies would otherwise be
    // written out by whichever fsync comes next.
    ::sync();
    const Comparison save = compare(
        SaveRounds, [&] { return saveSite(site).ok(); },
        [&] { return replaceWithCopy(path, copyPath, Durability::Flushed); });
    const double unflushed = medianSeconds(
        SaveRounds, [&] { return replaceWithCopy(path, copyPath, Durability::Unflushed); });

    const SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        throw std::runtime_error("the site does not open: " + opened.error().message);
    const double bytesPerRecord = storeBytesPerRecord(*opened);

    std::printf("\nSummary: medians of interleaved runs (%d reads, %d saves of each kind)\n",
                ReadRounds, SaveRounds);
    std::printf("%-34s %12s %12s %7s  %s\n", "", "subject", "baseline", "ratio", "target");
    printRow("read: openSite + loadPoints", read);
    printRow("save: saveSiteData vs fsync'd copy", save);
    std::printf("%-34s %9.2f ms (save is %.2fx that)\n", "copy without fsync", unflushed * 1e3,
                save.subject / unflushed);
    std::printf("%-34s %9.1f bytes per record  <= %.0f  %s\n", "store after loading",
                bytesPerRecord, BytesPerRecordTarget,
                verdict(bytesPerRecord <= BytesPerRecordTarget));
}

} // namespace marlow::bench
