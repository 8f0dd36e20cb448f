// The result type: values and errors come back as given, moves leave no
// copies behind, and asking a result for what it does not hold ends the
// program rather than returning garbage.
#include "base/Result.h"

#include <gtest/gtest.h>
#include <memory>

namespace marlow {
namespace {

Result<std::unique_ptr<int>> make(bool good) {
    if (!good)
        return fail(Error{"no value", 0});
    return std::make_unique<int>(7);
}

Result<void> check(bool good) {
    if (!good)
        return fail(Error::fromErrno("opening", ENOENT));
    return {};
}

TEST(ResultTest, CarriesTheValueOrTheErrorAndTestsTrueOnSuccess) {
    Result<std::unique_ptr<int>> good = make(true);
    ASSERT_TRUE(good);
    EXPECT_EQ(**good, 7);
    const std::unique_ptr<int> taken = std::move(good).value();
    EXPECT_EQ(*taken, 7);

    const Result<std::unique_ptr<int>> bad = make(false);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().message, "no value");

    EXPECT_TRUE(check(true).ok());
    const Result<void> failed = check(false);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().message, "opening: No such file or directory");
    EXPECT_EQ(failed.error().systemError, ENOENT);
}

TEST(ResultDeathTest, AskingForWhatIsNotThereEndsTheProgram) {
    EXPECT_DEATH((void)make(false).value(), "");
    EXPECT_DEATH((void)make(true).error(), "");
    EXPECT_DEATH((void)check(true).error(), "");
}

} // namespace
} // namespace marlow
