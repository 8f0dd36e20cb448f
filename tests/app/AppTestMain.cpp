// The application tests' entry: a widget application without a screen, and
// a state folder of their own so that the journals of the points they take
// stay out of the user's, then the tests.
#include "TempDir.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const marlow::test::TempDir state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
