// The test program's window, its recorded services and its site files.
#include "AppHarness.h"

#include "SiteFixtures.h"
#include "shell/ProgramStatics.h"
#include "sitefile/SiteCreator.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"
#include "store/Lists.h"
#include "view/RssiScale.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace marlow::test {

using namespace std::chrono_literals;

BoxAnswer RecordingBoxes::show(QWidget*, const MessageBoxRequest& request) {
    shown.push_back(request);
    if (onShow)
        onShow(request);
    if (request.buttons == BoxButtons::Ok)
        return BoxAnswer::Ok;
    if (answers.empty())
        return BoxAnswer::Yes;
    const BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

TestProgram::TestProgram() {
    ScanList.withLock([](RecordList& list) { list.clear(); });
    SurveyStore.clear();
    m_frame = std::make_unique<CMainFrame>(programContext(boxes, sounds));
    m_frame->show();
}

TestProgram::~TestProgram() = default;

void TestProgram::start(const std::string& device) {
    view().initialUpdate(m_registry, {device, 0ms});
}

void TestProgram::setClientSize(int width, int height) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QSize client = view().viewport()->size();
        if (client == QSize(width, height))
            return;
        m_frame->resize(m_frame->size() + QSize(width, height) - client);
        QApplication::processEvents();
    }
    if (view().viewport()->size() != QSize(width, height))
        throw std::runtime_error("cannot size the view's client area");
}

QImage TestProgram::render() {
    QWidget* client = view().viewport();
    QImage image(client->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    client->render(&image);
    return image;
}

std::vector<std::string> TestProgram::boxTexts() const {
    std::vector<std::string> texts;
    for (const MessageBoxRequest& box : boxes.shown)
        texts.push_back(box.text);
    return texts;
}

bool waitFor(const std::function<bool()>& condition) {
    const auto giveUpAt = std::chrono::steady_clock::now() + 20s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

ModalWatch::ModalWatch(std::function<void(QWidget*)> action) : m_poll(std::make_unique<QTimer>()) {
    QObject::connect(m_poll.get(), &QTimer::timeout, m_poll.get(),
                     [this, action = std::move(action)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (!modal)
                             return;
                         m_poll->stop();
                         m_acted = true;
                         action(modal);
                     });
    m_poll->start(10);
}

ModalWatch::~ModalWatch() = default;

std::unique_ptr<ModalWatch> clickInNextModal(const QString& buttonText) {
    return std::make_unique<ModalWatch>([buttonText](QWidget* modal) {
        for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
            if (button->text() == buttonText) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << buttonText.toStdString();
        modal->close();
    });
}

SiteBitmap bandPlan(std::int32_t width, std::int32_t height) {
    SiteBitmap plan = testPlan(width, height);
    const auto setEntry = [&plan](std::size_t index, const RgbColor& color) {
        plan.colorTable[index * 4 + 0] = color.blue;
        plan.colorTable[index * 4 + 1] = color.green;
        plan.colorTable[index * 4 + 2] = color.red;
    };
    setEntry(0, toolColor::White);
    for (std::size_t band = 0; band < RssiBands.size(); ++band)
        setEntry(band + 1, RssiBands[band].brush);
    std::fill(plan.pixels.begin(), plan.pixels.end(), 0);
    return plan;
}

std::string makeBandSite(const TempDir& dir, const std::string& name, std::int32_t width,
                         std::int32_t height) {
    const std::string path = dir.file(name);
    if (createSite(path, bandPlan(width, height), 1'700'000'000))
        throw std::runtime_error("cannot create " + path);
    return path;
}

std::string makeSiteWithPoints(const TempDir& dir, const std::string& name, std::int32_t width,
                               std::int32_t height, const std::vector<SurveyRecord>& records) {
    const std::string path = makeBandSite(dir, name, width, height);
    OpenResult opened = openSite(path);
    RecordList store;
    for (const SurveyRecord& record : records)
        appendRecord(store, record);
    if (opened.error || saveSiteData(path, opened.site.state, store, BlankSignature{}, 0))
        throw std::runtime_error("cannot store points in " + path);
    return path;
}

} // namespace marlow::test
