// CMarlowView: the map view, the program's one view. It shows the title
// screen, the site's floor plan with its survey points and the cross-hair,
// or the survey screen while a scan runs; it turns taps, keys and scroll
// bars into navigation and survey points, and shows the boxes and dialogs
// of the survey. The survey's rules are the session's: the view forwards to
// it and shows what it returns.
#pragma once

#include "session/SurveySession.h"
#include "view/MapViewport.h"
#include "view/ScreenPainters.h"
#include "view/SitePicture.h"
#include "view/widget/MapNavigation.h"
#include "view/widget/PressGesture.h"
#include "view/widget/ViewContext.h"
#include "view/widget/ViewLinkEvents.h"

#include <QAbstractScrollArea>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

namespace marlow {

enum class ScreenMode : std::int32_t { TitleScreen = 0, MapScreen = 1, SurveyScreen = 2 };

class CMarlowView final : public QAbstractScrollArea {
public:
    explicit CMarlowView(const ViewContext& context, QWidget* parent = nullptr);
    ~CMarlowView() override;

    // Adds the scroll bars, starts the analyzer link and repaints.
    void initialUpdate(const DriverRegistry& registry, const LinkStartOptions& options);
    // Destroys the serial port, which stops the link's threads.
    void stopLink();

    // The view's commands: Open a Site (with its file dialog), Save Site
    // Data (with the sign-off), the full rewrite, and the two zooms.
    void openSite();
    // Open a Site for a path already chosen. A failure is shown to the user
    // and leaves the open site, its points, picture and path as they were.
    // A file cut short opens with its complete points, and a box after the
    // open says how many loaded.
    bool openSiteFile(const std::string& path,
                      KeepPointsQuestion question = KeepPointsQuestion::Always);
    // Both true when the survey is in the file.
    bool saveSiteData();
    bool fullRewrite();
    // Before the survey's points are let go (closing, another site): asks
    // to save, discard or cancel while some are unsaved. False: cancelled,
    // or the save failed; keep everything as it is.
    bool settleUnsavedWork();
    // Zoom In (true) or Zoom Out.
    void zoom(bool in);

    // The common start of a measurement at map point (x, y).
    void takePoint(std::int32_t x, std::int32_t y);
    // Asks for a repaint of the whole client area.
    void repaint();

    SurveySession& session() { return m_session; }
    const SurveySession& session() const { return m_session; }
    ScreenMode currentScreen() const { return screenMode; }
    const MapViewport& mapViewport() const { return m_viewport; }
    const SitePicture* picture() const { return m_picture.get(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The scroll bars stand for the map's centre: nothing scrolls here.
    void scrollContentsBy(int, int) override {}

private:
    void onDrawMessage();
    // Every half second: whether the board answers, for the survey and
    // title screens' notices.
    void watchBoard();
    // Leaves the survey screen without storing the point being measured.
    void returnToMap();
    QString surveyNotice() const;
    QString titleNotice() const;
    void tapAt(QPoint point);
    void inspectAt(QPoint point);
    // Tells the surveyor, once, that the journal stopped keeping points.
    void warnIfJournalFails();
    // True with a site open; otherwise tells the user to open one first.
    bool siteOpenOrTell();
    Rect clientRect() const;
    // A failure of the site-file reader or writers, with the error icon.
    void showSiteError(const SiteError& error);

    ViewContext m_context;
    // Made by the initial update; declared before the session, whose link
    // reports to it, so that it outlives the link.
    std::unique_ptr<ViewLinkEvents> m_linkEvents;
    SurveySession m_session;
    MapViewport m_viewport;
    MapNavigation m_navigation;
    PressGesture m_gesture;
    ScreenMode screenMode = ScreenMode::TitleScreen;
    // The site's floor plan with its survey marks (siteImage).
    std::unique_ptr<SitePicture> m_picture;
    // The map screen's frame, kept between paints.
    MapFrame m_mapFrame;
    ViewArt m_art;
    // Advanced at every survey paint for the whole run; never reset.
    std::int32_t radarFrame = 0;
    QTimer m_boardWatch;
    // What the last watch found: the measurement's board has gone quiet;
    // no board has answered since the link started.
    bool m_boardSilent = false;
    bool m_boardAbsent = false;
};

} // namespace marlow
