// The process-wide profile buffers: one copy each, zero at process start.
// The profile store fills and saves them; the keyboard page, the download,
// the key event handler and the dialogs read and change them directly.
// Used on the window thread, except while a download runs (see the download).
#pragma once

#include <cstdint>

#include "model/key_code.h"
#include "model/profile_data.h"

namespace q730x::buffers {

extern q730x::KeyMatrix KeyMatrix;          // the profile being shown and edited
extern q730x::KeyMatrix LastAppliedMatrix;  // KeyMatrix as last loaded or downloaded
extern AuxInfoTable AuxInfo;
extern MacroUseTable MacroUse;
extern q730x::ConfigInfo ConfigInfo;
extern ProgramLinks ProCfg;
extern std::int32_t nCurFile;                // 0..4: the profile last downloaded

// Back to the state at process start (tests use it).
void ClearAll();

}  // namespace q730x::buffers
