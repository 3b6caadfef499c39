// Everything the utility keeps in the registry, value by value, exactly as
// stored: what a backup holds and what a restore writes back. Values are kept
// with their type and bytes, so a damaged value survives a round trip too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/profile_data.h"

namespace q730x::ctl {

constexpr std::uint32_t kBinaryType = 3;  // REG_BINARY

struct StoredValue {
  bool present = false;
  std::uint32_t type = kBinaryType;
  std::vector<std::uint8_t> bytes;

  static StoredValue Binary(std::vector<std::uint8_t> bytes) { return {true, kBinaryType, std::move(bytes)}; }
  bool IsBinaryOfSize(std::size_t size) const {
    return present && type == kBinaryType && bytes.size() == size;
  }
  friend bool operator==(const StoredValue&, const StoredValue&) = default;
};

struct ProfileSnapshot {
  bool keyPresent = false;  // the key Profile\<n> exists
  StoredValue matrix, auxInfo, macroUseCount, configInfo;
  friend bool operator==(const ProfileSnapshot&, const ProfileSnapshot&) = default;
};

struct MacroSnapshot {
  std::wstring subkey;  // normally the id as eight lower-case hex digits
  StoredValue record;   // the subkey's default value
  friend bool operator==(const MacroSnapshot&, const MacroSnapshot&) = default;
};

struct StoreSnapshot {
  StoredValue nCurFile, proCfg, macroUse;
  std::array<ProfileSnapshot, kProfileCount> profiles;
  std::vector<MacroSnapshot> macros;  // in enumeration order
};

// Reads the whole tree. Never writes.
StoreSnapshot ReadStoreSnapshot();

// Makes the registry hold what snapshot holds: root values and profile
// values are set, or deleted where the snapshot has none; a profile whose key
// the snapshot does not have is deleted. Every macro of the snapshot is
// written; stored macros that it does not name are left alone. Then the
// profile files are written from the registry. False at the first failure.
bool WriteStoreSnapshot(const StoreSnapshot& snapshot);

// Deletes the macro subkeys named (used to undo a failed restore).
void DeleteMacroSubkeys(const std::vector<std::wstring>& subkeys);

}  // namespace q730x::ctl
