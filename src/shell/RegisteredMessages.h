// The program's registered messages: a message name is registered once and
// then always yields the same id, an event type from Qt's user range, so
// that every part of the program that registers a name gets the same value.
#pragma once

#include <QEvent>
#include <string_view>

namespace marlow {

QEvent::Type registerMessage(std::string_view name);

} // namespace marlow
