// CMarlowView: the map view, the program's one view. It shows the title
// screen, the site's floor plan with its survey points and the cross-hair,
// or the survey screen while a scan runs; it owns the analyzer link and the
// open site, turns taps, keys and scroll bars into navigation and survey
// points, and runs the program's commands.
#pragma once

#include "link/serial/LinkSession.h"
#include "sitefile/SiteError.h"
#include "sitefile/SiteFileState.h"
#include "store/SiteState.h"
#include "view/MapViewport.h"
#include "view/ScreenPainters.h"
#include "view/SitePicture.h"
#include "view/widget/ViewContext.h"
#include "view/widget/ViewLinkEvents.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace marlow {

enum class ScreenMode : std::int32_t { TitleScreen = 0, MapScreen = 1, SurveyScreen = 2 };

// Whether Open a Site asks "Do you wish to keep existing data points?".
enum class KeepPointsQuestion {
    Always,
    // Only when the file holds points (the demo's sample site).
    WhenPointsStored,
};

class CMarlowView final : public QAbstractScrollArea {
public:
    // Told where each point is taken, before the board is asked to scan.
    using PointListener = std::function<void(std::int32_t x, std::int32_t y)>;

    explicit CMarlowView(const ViewContext& context, QWidget* parent = nullptr);
    ~CMarlowView() override;

    // Adds the scroll bars, starts the analyzer link (finds or opens the
    // port, starts its threads, pauses, asks the board for its firmware
    // version) and repaints.
    void initialUpdate(const DriverRegistry& registry, const LinkStartOptions& options);
    // Destroys the serial port, which stops the link's threads; the link
    // object stays.
    void stopLink();

    // Runs the command with this id (view/widget/CommandIds.h).
    void dispatchCommand(int id);
    // Open a Site for a path already chosen. A failure is shown to the user
    // and leaves the open site, its points, picture and path as they were.
    bool openSiteFile(const std::string& path,
                      KeepPointsQuestion question = KeepPointsQuestion::Always);

    // The common start of a measurement at map point (x, y).
    void takePoint(std::int32_t x, std::int32_t y);
    void syncScrollBars();
    // Asks for a repaint of the whole client area.
    void repaint();
    void setPointListener(PointListener listener) { m_pointListener = std::move(listener); }

    ScreenMode currentScreen() const { return screenMode; }
    const std::string& openSitePath() const { return sitePath; }
    const MapViewport& mapViewport() const { return m_viewport; }
    const SiteState* site() const { return m_site.get(); }
    const SiteFileState& siteFile() const { return m_siteFile; }
    const SitePicture* picture() const { return m_picture.get(); }
    // Null before the initial update.
    AnalyzerLink* link() { return m_link ? &m_link->link() : nullptr; }
    bool linkRunning() const { return m_link && m_link->portOpen(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The scroll bars stand for the map's centre, not for an offset of the
    // window's contents: nothing scrolls here.
    void scrollContentsBy(int dx, int dy) override;

private:
    // Painting.
    void paintSurvey(QPainter& painter, const QRect& client);
    void paintTitle(QPainter& painter, const QRect& client);

    // Input.
    void onScrollAction(Qt::Orientation orientation, int action);
    void onThumbReleased(Qt::Orientation orientation);
    void centrePress();

    // Measurement.
    void onDrawMessage();
    void tapAt(QPoint point);
    void inspectAt(QPoint point);
    // True with a site open; otherwise tells the user to open one first.
    bool siteOpenOrTell();
    Rect clientRect() const;

    // Commands.
    void onOpenSite();
    void onSaveSiteData();
    void onFullRewrite();
    // A failure of the site-file reader or writers, with the error icon.
    void showSiteError(const SiteError& error);

    ViewContext m_context;
    MapViewport m_viewport;
    ScreenMode screenMode = ScreenMode::TitleScreen;
    // The open site's file; both save commands write there.
    std::string sitePath;
    // The site's floor plan with its survey marks (siteImage).
    std::unique_ptr<SitePicture> m_picture;
    // None until the first successful Open.
    std::unique_ptr<SiteState> m_site;
    // What the writers need from the open site's file.
    SiteFileState m_siteFile;
    ViewArt m_art;
    // Advanced at every survey paint for the whole run; never reset.
    std::int32_t radarFrame = 0;
    PointListener m_pointListener;

    // A left press waits here to become a tap (released first) or a
    // tap-and-hold (held still until the timer fires).
    QTimer m_holdTimer;
    QPoint m_pressPoint;
    bool m_pressPending = false;

    MonotonicSecondsClock m_clock;
    std::unique_ptr<ViewLinkEvents> m_linkEvents;
    std::unique_ptr<LinkSession> m_link;
};

} // namespace marlow
