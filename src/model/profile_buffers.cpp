#include "model/profile_buffers.h"

namespace q730x::buffers {

q730x::KeyMatrix KeyMatrix;
q730x::KeyMatrix LastAppliedMatrix;
AuxInfoTable AuxInfo;
MacroUseTable MacroUse;
q730x::ConfigInfo ConfigInfo;
ProgramLinks ProCfg;
std::int32_t nCurFile = 0;

void ClearAll() {
  KeyMatrix = {};
  LastAppliedMatrix = {};
  AuxInfo = {};
  MacroUse = {};
  ConfigInfo = {};
  ProCfg = {};
  nCurFile = 0;
}

}  // namespace q730x::buffers
