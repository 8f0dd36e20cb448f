// The program's modal dialogs, as the view's commands run them. Each is
// constructed, run and destroyed inside the one command; the owner is the
// main window, whose width sets the dialogs' scale (their layouts are made
// for the 240-pixel-wide handheld screen).
#pragma once

#include "store/RecordList.h"
#include "store/SiteState.h"

#include <QWidget>

namespace marlow {

// Result of the point dialog when its point was deleted.
constexpr int PointDeleted = -2;

// "Location Parms/Delete Request": shows the selected point's summary from
// the site; "DELETE THIS POINT" removes the point's records from the store
// and ends the dialog with PointDeleted. Any other result: nothing changed.
int runPointInfoDialog(QWidget* owner, SiteState& site, RecordList& store);

// "Color of RSSI Values ": the six colour bands and their ranges.
void runRssiLegendDialog(QWidget* owner);

// The built-in user guide and the version box.
void runHelpDialog(QWidget* owner);
void runAboutDialog(QWidget* owner);

} // namespace marlow
