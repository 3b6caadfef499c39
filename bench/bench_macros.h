// A small stored macro (press and release A) given to one key of the current
// profile buffers: what the download benchmarks put on their macro keys.
#pragma once

#include <cstdint>
#include <vector>

#include "model/macro_record.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"

namespace q730x::bench {

inline void GiveStoredMacro(int position, std::uint32_t id) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
  MacroBuildInput in;
  in.id = id;
  in.name = u"M";
  MacroRecord record = *BuildMacroRecord(steps, in);
  WriteMacro(DefaultMacroRoot(), record);
  buffers::KeyMatrix[position] = MakeMacroCode();
  buffers::AuxInfo[position].SetMacroId(id);
}

}  // namespace q730x::bench
