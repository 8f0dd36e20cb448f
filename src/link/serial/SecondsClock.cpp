// The monotonic whole-second clock.
#include "SecondsClock.h"

#include <chrono>

namespace marlow {

std::int64_t MonotonicSecondsClock::nowSeconds() {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
}

} // namespace marlow
