// The application tests' entry: a widget application without a screen, and
// a state folder of their own so that the journals of the points they take
// stay out of the user's, then the tests. A child run of these tests, which
// may be killed before it can clean up, journals into the state folder its
// parent names in MARLOW_TEST_STATE instead. The settings the window keeps
// (its size and place) go to a configuration folder inside the state
// folder: the tests neither read nor change the user's.
#include "TempDir.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::optional<marlow::test::TempDir> state;
    const char* given = std::getenv("MARLOW_TEST_STATE");
    const std::string stateFolder = given ? given : state.emplace().path();
    ::setenv("XDG_STATE_HOME", stateFolder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (stateFolder + "/config").c_str(), 1);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("marlow-tests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
