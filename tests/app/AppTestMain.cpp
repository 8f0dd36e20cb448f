// The application tests' entry: a widget application without a screen, and
// a state folder of their own so that the journals of the points they take
// stay out of the user's, then the tests. A child run of these tests, which
// may be killed before it can clean up, journals into the state folder its
// parent names in MARLOW_TEST_STATE instead.
#include "TempDir.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::optional<marlow::test::TempDir> state;
    if (const char* given = std::getenv("MARLOW_TEST_STATE"))
        ::setenv("XDG_STATE_HOME", given, 1);
    else
        ::setenv("XDG_STATE_HOME", state.emplace().path().c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
