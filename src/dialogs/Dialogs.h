// The program's modal dialogs, as the view's commands run them. Each is
// constructed, run and destroyed inside the one command; the owner is the
// main window, whose width sets the dialogs' scale (their layouts are made
// for the 240-pixel-wide handheld screen).
#pragma once

#include "store/SiteState.h"

#include <QWidget>
#include <optional>
#include <string>

namespace marlow {

// Result of the point dialog when the surveyor asked to delete its point.
constexpr int DeleteRequested = -2;

// "Location Parms/Delete Request": shows the selected point's summary from
// the site. True when "DELETE THIS POINT" ended it; the caller removes the
// point.
bool runPointInfoDialog(QWidget* owner, const SiteState& site);

// "Open": the site file the surveyor chose, as a local path; nothing when
// the dialog was cancelled.
std::optional<std::string> runOpenSiteDialog(QWidget* owner);

// "Color of RSSI Values ": the six colour bands and their ranges.
void runRssiLegendDialog(QWidget* owner);

// The built-in user guide and the version box.
void runHelpDialog(QWidget* owner);
void runAboutDialog(QWidget* owner);

} // namespace marlow
