// The program's static objects: the ids of the two registered messages and
// (declared in store/Lists.h) the two record lists, and the view's context
// made from them.
#pragma once

#include "view/widget/ViewContext.h"

#include <QEvent>

namespace marlow {

extern const QEvent::Type MarlDraw;
extern const QEvent::Type MarlStatusUpdate;

ViewContext programContext(MessageBoxes& boxes, Sounds& sounds);

} // namespace marlow
