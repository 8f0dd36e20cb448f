// The program's own services and command line: message boxes as the user
// sees them, sounds that end even without an audio device, and the options.
#include "AppHarness.h"
#include "shell/QtMessageBoxes.h"
#include "shell/QtSounds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

TEST(QtMessageBoxesTest, ShowTextsCaptionIconAndButtonsAndReturnTheAnswer) {
    struct Case {
        MessageBoxRequest request;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton click;
        BoxAnswer answer;
    };
    const Case cases[] = {
        {{"Not a Site File.", "File Error", BoxIcon::Error, BoxButtons::Ok, {}},
         QMessageBox::Critical,
         QMessageBox::Ok,
         BoxAnswer::Ok},
        {{"Do you wish to keep existing data points?",
          "Tessel",
          BoxIcon::None,
          BoxButtons::YesNo,
          {}},
         QMessageBox::NoIcon,
         QMessageBox::Yes,
         BoxAnswer::Yes},
        {{"Do you wish to keep existing data points?",
          "Tessel",
          BoxIcon::None,
          BoxButtons::YesNo,
          {}},
         QMessageBox::NoIcon,
         QMessageBox::No,
         BoxAnswer::No},
        {{"Could not update site", "Site Update Error", BoxIcon::Error, BoxButtons::Ok,
          "No space left on device"},
         QMessageBox::Critical,
         QMessageBox::Ok,
         BoxAnswer::Ok},
    };
    QtMessageBoxes boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.text);
        const ModalWatch watch([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text().toStdString(), c.request.text);
            EXPECT_EQ(box->windowTitle().toStdString(), c.request.caption);
            EXPECT_EQ(box->informativeText().toStdString(), c.request.detail);
            EXPECT_EQ(box->icon(), c.icon);
            const bool question = c.request.buttons == BoxButtons::YesNo;
            EXPECT_EQ(box->buttons().size(), question ? 2 : 1);
            if (QAbstractButton* button = box->button(c.click))
                button->click();
            else
                box->done(0);
        });
        EXPECT_EQ(boxes.show(nullptr, c.request), c.answer);
        EXPECT_TRUE(watch.acted());
    }
}

TEST(QtSoundsTest, PlayingToTheEndReturnsWithoutAnAudioDevice) {
    QtSounds sounds;
    // Posted messages are still handled while the sound plays.
    bool delivered = false;
    QMetaObject::invokeMethod(
        qApp, [&] { delivered = true; }, Qt::QueuedConnection);
    sounds.playSoundSync("REDALERT");
    EXPECT_TRUE(delivered);
    sounds.playSoundSync("redalert");
    sounds.playSoundAsync("ping");
    sounds.playSoundAsync("PING");
    sounds.playSoundSync("NO-SUCH-SOUND");
}

} // namespace
} // namespace marlow::test
