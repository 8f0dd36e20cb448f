// The product's name and version line as the dialogs show them.
#pragma once

namespace marlow {

inline constexpr char ProductName[] = "Marlow Fieldwalk";
inline constexpr char ProductVersionText[] = "Marlow Fieldwalk v1.71";

} // namespace marlow
