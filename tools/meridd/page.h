#pragma once
// The page at /: the printers and their status, the tasks as they arrive and
// end, and the paper tape of a virtual printer. Built into the program; it
// loads nothing from elsewhere.

namespace meridd {

extern const char* const kPageHtml;
extern const char* const kPageScript;

}  // namespace meridd
