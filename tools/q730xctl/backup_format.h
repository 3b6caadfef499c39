// The backup file: a store snapshot as human-readable JSON, and back.
//
// Every value that is in its usual form is written as what it means (key
// codes, paths, macro steps, program links); a value that is not (another
// type or size, bytes after a text's terminator, a record that lies) is kept
// as its type and bytes, so a backup always restores byte for byte. Reading
// checks everything and names the first place that is wrong.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "json.h"
#include "model/key_code.h"
#include "model/profile_data.h"
#include "store_snapshot.h"

namespace q730x::ctl {

constexpr const char* kBackupFormat = "q730x-settings";
constexpr std::int64_t kBackupVersion = 1;

// Names written beside the codes for people; reading ignores them.
struct BackupNames {
  std::function<std::wstring(int position)> key;                          // the key at a position
  std::function<std::wstring(KeyCode, const AuxRecord&)> function;         // what a code does
  std::function<std::wstring(std::uint32_t virtualKey)> stepKey;           // a macro step's key
};

json::Value SnapshotToJson(const StoreSnapshot& snapshot, const BackupNames& names);

struct BackupError {
  std::string place;    // e.g. profiles[2].keys[5].code
  std::string message;
};

// The snapshot the document describes, or none with the first error.
std::optional<StoreSnapshot> SnapshotFromJson(const json::Value& document, BackupError& error);

}  // namespace q730x::ctl
