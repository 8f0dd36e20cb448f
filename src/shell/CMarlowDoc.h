// CMarlowDoc: the program's single document. The survey lives in the
// program-wide record lists and the view's open site, so the document holds
// nothing; it is never modified, and nothing ever asks to save it.
#pragma once

namespace marlow {

class CMarlowDoc {};

} // namespace marlow
