// Loading the companion libraries that sit next to the program file.
#pragma once

#include <windows.h>

#include <string>

#include "model/win_handles.h"

namespace q730x {

// Loads fileName from the program's own folder only. The utility runs with
// administrator rights, so a library of the same name planted in the current
// folder or elsewhere on the search path must never be picked up instead.
UniqueLibrary LoadCompanionLibrary(const wchar_t* fileName);

}  // namespace q730x
