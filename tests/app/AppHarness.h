// The program's window under test, without a screen and without blocking:
// message boxes and sounds are recorded (questions answered as told), and
// modal dialogs are driven from a timer while they run.
#pragma once

#include "SiteFixtures.h"
#include "link/serial/SysfsRegistry.h"
#include "shell/CMainFrame.h"
#include "shell/ProgramStatics.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"
#include "view/RssiScale.h"
#include "view/widget/CommandIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace marlow::test {

using namespace std::chrono_literals;

// A box as "text|caption|icon".
inline std::string box(const std::string& text, const std::string& caption, BoxIcon icon) {
    return text + "|" + caption + "|" + std::to_string(static_cast<int>(icon));
}

struct RecordingBoxes final : MessageBoxes {
    BoxAnswer show(QWidget*, const MessageBoxRequest& request) override {
        shown.push_back(request);
        if (onShow)
            onShow(request);
        return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : answer;
    }
    // Each box as box() gives it.
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const MessageBoxRequest& request : shown)
            all.push_back(box(request.text, request.caption, request.icon));
        return all;
    }
    BoxAnswer answer = BoxAnswer::Yes; // to every question
    std::vector<MessageBoxRequest> shown;
    std::function<void(const MessageBoxRequest&)> onShow; // while the box is open
};

// Each sound by its name, marked " sync" when played to its end.
struct RecordingSounds final : Sounds {
    void playSoundAsync(std::string_view name) override { played.emplace_back(name); }
    void playSoundSync(std::string_view name) override {
        played.push_back(std::string(name) + " sync");
    }
    std::vector<std::string> played;
};

// One main frame, shown offscreen, with empty record lists.
struct TestProgram {
    TestProgram() {
        ScanList.withLock([](RecordList& list) { list.clear(); });
        SurveyStore.clear();
        frame.show();
    }
    // The initial update with this port and no start-up pause.
    void start(const std::string& device = "/dev/marlow-test-no-such-port") {
        view.initialUpdate(SysfsRegistry("/nonexistent"), {device, 0ms});
    }
    void setClientSize(int width, int height) {
        frame.resize(frame.size() + QSize(width, height) - view.viewport()->size());
        QApplication::processEvents();
        ASSERT_EQ(view.viewport()->size(), QSize(width, height));
    }
    // The client area as a paint event paints it.
    QImage render() {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        return image;
    }
    void button(int index) { frame.commandBar()->actions()[index]->trigger(); }
    QString pane(int index) const { return frame.statusPanes()->paneText(index); }
    QStringList panes() const { return {pane(0), pane(1), pane(2), pane(3)}; }

    RecordingBoxes boxes;
    RecordingSounds sounds;
    CMainFrame frame{programContext(boxes, sounds)};
    CMarlowView& view = *frame.view();
};

// Waits, handling events or not, until the condition holds; false after a
// guard time.
inline bool waitFor(const std::function<bool()>& condition, bool handleEvents = true) {
    for (const auto giveUpAt = std::chrono::steady_clock::now() + 20s; !condition();) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return false;
        if (handleEvents)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// Runs the action on the next modal dialog once it runs; by default closes
// it.
struct ModalWatch {
    explicit ModalWatch(std::function<void(QWidget*)> action = &QWidget::close) {
        QObject::connect(&poll, &QTimer::timeout, [this, action] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll.stop();
                acted = true;
                action(modal);
            }
        });
        poll.start(10);
    }
    QTimer poll;
    bool acted = false;
};

inline std::function<void(QWidget*)> clickButton(const QString& text) {
    return [text](QWidget* modal) {
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            if (button->text() == text)
                return button->click();
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        modal->close();
    };
}

// A new site file of a white plan whose table holds the six bands' colours
// at 1 to 6, with these records as its stored points.
inline std::string bandSite(const TempDir& dir, std::int32_t width, std::int32_t height,
                            const std::vector<SurveyRecord>& records = {}) {
    SiteBitmap plan = testPlan(width, height);
    for (std::size_t i = 0; i <= RssiBands.size(); ++i) {
        const RgbColor c = i == 0 ? toolColor::White : RssiBands[i - 1].brush;
        std::copy_n(std::array{c.blue, c.green, c.red}.begin(), 3, &plan.colorTable[i * 4]);
    }
    std::fill(plan.pixels.begin(), plan.pixels.end(), 0);
    const std::string path = dir.file("site.tws");
    makeSite(path, plan);
    RecordList store;
    for (const SurveyRecord& record : records)
        appendRecord(store, record);
    SiteResult<OpenedSite> opened = openSite(path);
    if (!opened || !saveSiteData(path, opened->file, store, BlankSignature{}, 0))
        throw std::runtime_error("cannot store points in " + path);
    return path;
}

// The open site's picture one to one, with its marks.
inline QImage pictureOf(const CMarlowView& view) {
    const SitePicture& picture = *view.picture();
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    const Rect all{0, 0, picture.width(), picture.height()};
    picture.render(image, {picture.width(), picture.width(), picture.height(), picture.height()},
                   all);
    return image;
}

inline QRgb colorAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

} // namespace marlow::test
