// Making a new site file from a floor plan: the header, the plan as an 8-bit
// bitmap, a blank signature block and an empty survey data section. This is
// what the desktop planning tool hands to the surveyor.
#pragma once

#include "SiteBitmap.h"
#include "SiteError.h"

#include <cstdint>
#include <string>

namespace marlow {

SiteResult<> createSite(const std::string& path, const SiteBitmap& plan, std::uint32_t saveTime);

} // namespace marlow
