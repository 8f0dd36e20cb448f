// Where and how large the main window opens: as it was left when it last
// closed, as the settings keep it, or on a first start at its start size
// for its screen (FrameScale.h), centred on the screen's free area.
#pragma once

class QSettings;
class QWidget;

namespace marlow {

void restorePlacement(QWidget& window, const QSettings& settings);
void savePlacement(const QWidget& window, QSettings& settings);

} // namespace marlow
