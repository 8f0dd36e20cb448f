// What makes a file the file it is beyond its bytes: owner, group, mode and
// extended attributes (access control lists among them). A file that
// replaces another must carry these over, or the replacement is a
// different file.
#pragma once

#include "base/Result.h"

#include <sys/stat.h>

namespace marlow {

// Gives `to` the owner, group, extended attributes and mode of `from`,
// whose status is `old`. False when this user may not give one of them
// (another owner, a group the user is not in, an attribute only a
// privileged user may set); an error for any other failure.
Result<bool> copyIdentity(int from, const struct stat& old, int to);

} // namespace marlow
