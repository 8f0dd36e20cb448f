// The command bar's keys: each runs its command, none takes a key the map
// uses, and the help names them; and the brief note after each save, which
// names the points the file now holds and asks nothing.
#include "AppHarness.h"
#include "dialogs/HelpText.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <cstdlib>

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
        // Shown one to one; the placeholder's point lies where the note will.
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

TEST_F(Commands, TheHelpNamesEveryKey) {
    QString help;
    for (const char* line : HelpLines)
        help += QString::fromLatin1(line) + '\n';
    for (const QAction* action : program.frame.commandBar()->actions()) {
        for (const QKeySequence& key : action->shortcuts())
            EXPECT_TRUE(help.contains(key.toString(QKeySequence::NativeText)))
                << key.toString().toStdString();
    }
}

// Both saves: four stored records make three points, for the placeholder
// between them parts the runs at (30, 20) (none was taken since the open,
// so the L pane says 0); once the placeholder's point is deleted the runs
// join into one.
TEST_F(Commands, ASaveLeavesABriefNoteOfThePointsInTheFileAndAsksNothing) {
    const TransientNote& note = *program.frame.saveNote();
    EXPECT_FALSE(note.isVisible());
    const ModalWatch signOff(clickButton("SAVE SITE SURVEY"));
    QElapsedTimer shown;
    shown.start();
    program.button(1);
    EXPECT_TRUE(signOff.acted);
    ASSERT_TRUE(note.isVisible());
    EXPECT_EQ(note.text(), "Saved 3 points to site.tws");
    const SiteResult<OpenedSite> saved = openSite(site);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->points.pointCount, 3u);
    EXPECT_EQ(program.pane(0), "L: 0");
    // Over the bottom of the map, inside it, and in no way modal.
    EXPECT_FALSE(note.isWindow());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(note.parentWidget(), view.viewport());
    EXPECT_EQ(note.geometry().bottom(), view.viewport()->height() - 1);
    EXPECT_TRUE(view.viewport()->rect().contains(note.geometry()));
    EXPECT_TRUE(program.boxes.shown.empty());
    // A click where the note lies reaches the map.
    ASSERT_TRUE(note.geometry().contains(QPoint(80, 262)));
    EXPECT_EQ(view.viewport()->childAt(QPoint(80, 262)), nullptr);
    {
        const ModalWatch deleteIt(clickButton("DELETE THIS POINT"));
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(80, 262));
        EXPECT_TRUE(deleteIt.acted);
    }
    EXPECT_EQ(SurveyStore.size(), 3u);

    // It goes away by itself after a few seconds (its coarse timer may end
    // up to a twentieth early).
    ASSERT_TRUE(waitFor([&] { return !note.isVisible(); }));
    EXPECT_GE(shown.elapsed(), TransientNote::ShownFor.count() * 9 / 10);

    // The full rewrite, with its floor plan in the temporary folder.
    const std::string temporary = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    writeBytes(dir.file("tmpsite.bmp"), Bytes(100, 0));
    program.frame.dispatchCommand(command::FullRewrite);
    temporary.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", temporary.c_str(), 1);
    EXPECT_TRUE(program.boxes.shown.empty());
    EXPECT_TRUE(note.isVisible());
    EXPECT_EQ(note.text(), "Saved 1 point to site.tws");
}

} // namespace
} // namespace marlow::test
