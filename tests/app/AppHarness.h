// The program's window under test, without a screen and without blocking:
// message boxes and sounds are recorded (and questions answered), dialogs
// are driven from a timer while they run, and site files with the colours
// of the RSSI bands in their tables are made on the fly.
#pragma once

#include "TempDir.h"
#include "link/serial/DriverRegistry.h"
#include "shell/CMainFrame.h"
#include "sitefile/SiteBitmap.h"
#include "store/SurveyRecord.h"
#include "view/widget/MessageBoxes.h"
#include "view/widget/Sounds.h"

#include <QImage>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace marlow::test {

class RecordingBoxes final : public MessageBoxes {
public:
    BoxAnswer show(QWidget* owner, const MessageBoxRequest& request) override;

    // Answers to the next questions, in order; Yes once they run out.
    std::deque<BoxAnswer> answers;
    std::vector<MessageBoxRequest> shown;
    // Called while a box is "open", before it is answered.
    std::function<void(const MessageBoxRequest&)> onShow;
};

struct PlayedSound {
    std::string name;
    bool sync = false;
    bool operator==(const PlayedSound&) const = default;
};

class RecordingSounds final : public Sounds {
public:
    void playSoundAsync(std::string_view name) override {
        played.push_back({std::string(name), false});
    }
    void playSoundSync(std::string_view name) override {
        played.push_back({std::string(name), true});
    }
    std::vector<PlayedSound> played;
};

// A registry with no adapters: port discovery falls back to its default.
class NoAdapters final : public DriverRegistry {
public:
    std::optional<std::string> readString(const std::string&, const std::string&) const override {
        return std::nullopt;
    }
};

// One main frame with its view, shown offscreen, and the services it uses.
// The program-wide record lists start empty.
class TestProgram {
public:
    TestProgram();
    ~TestProgram();

    CMainFrame& frame() { return *m_frame; }
    CMarlowView& view() { return *m_frame->view(); }
    // The view's initial update with the port named and no start-up pause.
    void start(const std::string& device);
    // Resizes the frame so that the view's client area has this size.
    void setClientSize(int width, int height);
    // Paints the view's client area, as a paint event does, into an image.
    QImage render();
    QString pane(int index) const { return m_frame->statusPanes()->paneText(index); }
    // The texts of the boxes shown so far.
    std::vector<std::string> boxTexts() const;

    RecordingBoxes boxes;
    RecordingSounds sounds;

private:
    NoAdapters m_registry;
    std::unique_ptr<CMainFrame> m_frame;
};

// Handles Qt events until the condition holds; false if it still does not
// after a generous guard time (a hang turned into a failure).
bool waitFor(const std::function<bool()>& condition);

// Runs `action` on the next modal dialog, once it is open and running, as
// long as the returned watch lives.
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(QWidget*)> action);
    ~ModalWatch();
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;
    bool acted() const { return m_acted; }

private:
    std::unique_ptr<QTimer> m_poll;
    bool m_acted = false;
};

// Watches for the next modal dialog and clicks its button with this text.
std::unique_ptr<ModalWatch> clickInNextModal(const QString& buttonText);

// A plan whose colour table holds the colours of the six RSSI bands
// (entries 1 to 6) and white (entry 0, every pixel).
SiteBitmap bandPlan(std::int32_t width, std::int32_t height);
// A new site file made from bandPlan.
std::string makeBandSite(const TempDir& dir, const std::string& name, std::int32_t width,
                         std::int32_t height);
// A site file holding the given records as its stored points (written by
// Save Site Data's writer).
std::string makeSiteWithPoints(const TempDir& dir, const std::string& name, std::int32_t width,
                               std::int32_t height, const std::vector<SurveyRecord>& records);

// The colour of an image pixel without alpha.
inline QRgb colorAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0x00FFFFFFu;
}

} // namespace marlow::test
