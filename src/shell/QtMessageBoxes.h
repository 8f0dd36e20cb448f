// The program's message boxes: QMessageBox with the request's texts,
// caption, icon and buttons.
#pragma once

#include "view/widget/MessageBoxes.h"

namespace marlow {

class QtMessageBoxes final : public MessageBoxes {
public:
    BoxAnswer show(QWidget* owner, const MessageBoxRequest& request) override;
};

} // namespace marlow
