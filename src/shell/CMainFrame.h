// CMainFrame: the program's only top-level window. It hosts the map view,
// the status panes directly above the command bar at the bottom edge, and
// the command bar's seven buttons with their keys, and runs their commands.
// The bar's icons and the panes grow with the window as the map does. It
// shows the survey counters when the view posts MARL_STATUS_UPDATE, a brief
// note after each save, and turns minimising into shutdown: the serial link
// is stopped, then the window closes and the program ends. It remembers
// its size and place in the settings when it closes.
#pragma once

#include "shell/StatusPanes.h"
#include "shell/TransientNote.h"
#include "view/widget/CMarlowView.h"
#include "view/widget/ViewContext.h"

#include <QMainWindow>
#include <cstddef>
#include <string>

class QToolBar;

namespace marlow {

class MessageEvent;

class CMainFrame final : public QMainWindow {
public:
    // The frame is made at the handheld's 240 x 320; the program then
    // places it with restorePlacement.
    explicit CMainFrame(const ViewContext& context);
    ~CMainFrame() override;

    // Back where the settings say it was when it last closed, or at its start
    // size for its screen on a first start (WindowPlacement.h).
    void restorePlacement();

    // Runs the command with this id (view/widget/CommandIds.h): the view's
    // own, or a dialog of the command bar.
    void dispatchCommand(int id);

    CMarlowView* view() const { return m_view; }
    StatusPanes* statusPanes() const { return m_statusPanes; }
    QToolBar* commandBar() const { return m_commandBar; }
    const TransientNote* saveNote() const { return m_saveNote; }

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Closing (the window's button, Exit, Ctrl+Q) asks about unsaved points.
    void closeEvent(QCloseEvent* event) override;
    // The command bar cannot be hidden: no menu of bars.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void buildCommandBar();
    // Icon size, panes and note for the window's present size.
    void applyScale();
    void onStatusUpdate(const MessageEvent& message);
    void onSiteSaved(const std::string& path, std::size_t points);

    QEvent::Type m_statusMessage;
    CMarlowView* m_view = nullptr;
    StatusPanes* m_statusPanes = nullptr;
    QToolBar* m_commandBar = nullptr;
    TransientNote* m_saveNote = nullptr;
    bool m_endingOnMinimise = false;
};

} // namespace marlow
