#pragma once
#include "host.h"

namespace meridctl {

// The host script of the demo day.
extern const char* const kDemoScript;

// Runs the demo day in a fresh state folder and prints the tape. 0 when every
// call returned what the demo expects.
int runDemo(Options o);

}  // namespace meridctl
