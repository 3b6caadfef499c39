// The utility from its first instruction to its last: the platform
// libraries, the program folder, the language table, the single-instance
// test, the key hook library, and the main window run until it closes.
#pragma once

#include <windows.h>

namespace q730x {

// Answers the process exit code (0 in every ordinary case).
int RunApplication();

}  // namespace q730x
