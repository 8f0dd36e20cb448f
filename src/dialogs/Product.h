// The product's name as the dialogs show it.
#pragma once

namespace marlow {

inline constexpr char ProductName[] = "Marlow Fieldwalk";

} // namespace marlow
