// The view's commands by their numeric ids: the seven of the command bar
// and the full rewrite, which no button issues.
#pragma once

namespace marlow::command {

inline constexpr int FullRewrite = 32780;
inline constexpr int ZoomIn = 32782;
inline constexpr int ZoomOut = 32783;
inline constexpr int OpenSite = 32785;
inline constexpr int SaveSiteData = 32786;
inline constexpr int ColorRanges = 32788;
inline constexpr int About = 32790;
inline constexpr int Help = 57670;

} // namespace marlow::command
