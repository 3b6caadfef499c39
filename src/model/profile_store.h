// The profile store: five profiles and the program-wide values in the
// registry under HKEY_LOCAL_MACHINE\Software\KAVEX\Q730X, with a copy of each
// profile in ProgramFolder() + "profile\N.cfg" (N = profile index + 1).
// All operations work on the process-wide buffers (profile_buffers.h) and run
// on the window thread. DefaultMatrix must be built before any of them.
#pragma once

#include <string>

namespace q730x {

// Registry paths under HKEY_LOCAL_MACHINE.
extern const wchar_t kStoreRootPath[];  // Software\KAVEX\Q730X
std::wstring ProfileKeyPath(int profile);  // Software\KAVEX\Q730X\Profile\<profile>
std::wstring ProfileFolder();              // ProgramFolder() + "profile\"
std::wstring ProfileFilePath(int profile);  // ProfileFolder() + "<profile + 1>.cfg"

// Creates every missing profile key with the factory matrix and default
// settings. Existing keys are left unchanged.
void CreateMissingProfiles();

// Mirrors profiles between the registry and the profile files at start-up:
// a complete file wins over the registry; a missing or short file is written
// from the registry. A file that cannot be read for another reason is left
// alone.
void SyncProfileFiles();

// Fills KeyMatrix, AuxInfo, MacroUse and ConfigInfo from profile n (0..4).
// Values that are missing or of the wrong type or size are replaced by their
// defaults and written back.
void LoadProfile(int n);

// Fills the same buffers from profile n without writing anything, with read
// access only: a missing or damaged value reads as its default. False (with
// the reason as the last error) when the profile's key does not open.
bool ReadProfile(int n);

// Writes KeyMatrix, AuxInfo and ConfigInfo to profile n and MacroUse to the root,
// as they are; a profile key that vanished is created again. False when any
// of them was not written.
bool SaveProfile(int n);

// Writes profile n's file from what the registry holds; n = -1 writes all five.
void ExportProfileFiles(int n);

// ProCfg: returns whether the value was read; otherwise ProCfg is unchanged.
bool LoadProgramLinks();
void SaveProgramLinks();

// nCurFile: returns whether the value was read. A stored index outside 0..4
// reads as 0.
bool LoadCurrentIndex();
void SaveCurrentIndex();

}  // namespace q730x
