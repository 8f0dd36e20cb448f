// The command bar's keys: each runs its command, and none takes a key the
// map uses.
#include "AppHarness.h"

#include <QAction>

namespace marlow::test {
namespace {

struct Commands : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;
    std::string site;

    void SetUp() override {
        program.start();
        program.setClientSize(240, 268);
        // Shown one to one.
        site = bandSite(dir, 240, 268,
                        {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45),
                         committedPlaceholder(80, 262), apRecord(30, 20, 3, -70)});
        program.boxes.answer = BoxAnswer::Yes; // keep the stored points
        ASSERT_TRUE(view.openSiteFile(site));
        program.boxes.shown.clear();
    }
    // The ids of the commands the key ran in the active window, closing any
    // dialog it opened.
    std::vector<int> run(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QApplication::setActiveWindow(&program.frame);
        EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == &program.frame; }));
        std::vector<int> ran;
        std::vector<QMetaObject::Connection> connections;
        for (QAction* action : program.frame.commandBar()->actions())
            connections.push_back(QObject::connect(action, &QAction::triggered, [&ran, action] {
                ran.push_back(action->data().toInt());
            }));
        const ModalWatch closeAnyDialog;
        QTest::keyClick(&view, key, modifiers);
        for (const QMetaObject::Connection& connection : connections)
            QObject::disconnect(connection);
        return ran;
    }
    int visibleWidth() const { return view.mapViewport().visibleRange().width(); }
};

TEST_F(Commands, KeysRunTheirCommandsAndLeaveTheMapsKeysAlone) {
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int> keys[] = {
        {Qt::Key_O, Qt::ControlModifier, command::OpenSite},
        {Qt::Key_S, Qt::ControlModifier, command::SaveSiteData},
        {Qt::Key_F1, Qt::NoModifier, command::Help},
        {Qt::Key_Plus, Qt::NoModifier, command::ZoomIn},
        {Qt::Key_Plus, Qt::KeypadModifier, command::ZoomIn},
        {Qt::Key_Plus, Qt::ControlModifier, command::ZoomIn},
        {Qt::Key_Equal, Qt::ControlModifier, command::ZoomIn},
        {Qt::Key_Minus, Qt::NoModifier, command::ZoomOut},
        {Qt::Key_Minus, Qt::KeypadModifier, command::ZoomOut},
        {Qt::Key_Minus, Qt::ControlModifier, command::ZoomOut},
    };
    for (const auto& [key, modifiers, id] : keys) {
        const int widthBefore = visibleWidth();
        EXPECT_EQ(run(key, modifiers), std::vector{id}) << key << " " << modifiers;
        const int change = visibleWidth() - widthBefore;
        EXPECT_EQ(change < 0, id == command::ZoomIn) << key << " " << modifiers;
        EXPECT_EQ(change > 0, id == command::ZoomOut) << key << " " << modifiers;
    }
    // The map's own keys run no command and still reach the map.
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return,
                              Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape})
        EXPECT_EQ(run(key, Qt::NoModifier), std::vector<int>{}) << key;
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen); // Escape gave up the point
    EXPECT_EQ(program.sounds.played, std::vector<std::string>(3, "ping"));
}

} // namespace
} // namespace marlow::test
