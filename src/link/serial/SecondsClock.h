// The whole-second clock the reader thread samples for the keep-alive.
// Injectable so that tests move time instead of waiting for it.
#pragma once

#include <cstdint>

namespace marlow {

class SecondsClock {
public:
    virtual ~SecondsClock() = default;
    virtual std::int64_t nowSeconds() = 0;
};

// Monotonic seconds (since boot on Linux): setting the wall clock back can
// neither hold the keep-alive off nor fire a burst of them.
class MonotonicSecondsClock final : public SecondsClock {
public:
    std::int64_t nowSeconds() override;
};

} // namespace marlow
