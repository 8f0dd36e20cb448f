// How the program asks and tells the user things in modal message boxes.
// The program shows real boxes; tests answer them without a screen.
#pragma once

#include <QWidget>
#include <string>

namespace marlow {

// The program's title, also the caption of boxes that name no other.
inline constexpr const char* AppTitle = "Marlow B";

enum class BoxIcon { None, Information, Exclamation, Error };
enum class BoxButtons { Ok, YesNo, SaveDiscardCancel };
enum class BoxAnswer { Ok, Yes, No, Save, Discard, Cancel };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    // A second line of explanation under the text; none when empty.
    std::string detail;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally over `owner` and returns the button chosen.
    virtual BoxAnswer show(QWidget* owner, const MessageBoxRequest& request) = 0;
};

} // namespace marlow
