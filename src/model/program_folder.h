// The folder of the program file, with a trailing backslash. Every file the
// utility opens next to itself is named by appending to it ("language.xml",
// "profile\", "skins\", "FWUpdate\").
#pragma once

#include <string>

namespace q730x {

// Computes the folder from GetModuleFileNameW. Fails when the path cannot be
// read or does not fit 260 units; the folder is then left as it was.
bool ComputeProgramFolder();

// The folder; computed on first use when nobody computed or set it.
const std::wstring& ProgramFolder();

// Points the folder elsewhere (tests and tools use a folder of their own).
// A missing trailing backslash is added.
void SetProgramFolder(const std::wstring& folder);

}  // namespace q730x
