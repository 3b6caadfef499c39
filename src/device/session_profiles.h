// The platform-free part of the keyboard session: copies of one profile
// (what a download works on, what the keyboard holds, a profile's edits kept
// while another is shown), the download's walk over a copy, and the mailbox
// that carries a finished download back to the window thread. No
// <windows.h>: it builds natively for the thread-sanitizer run.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "model/key_code.h"
#include "model/macro_record.h"
#include "model/profile_data.h"

namespace q730x {

using MacroUseRow = std::array<std::uint32_t, kMatrixPositions>;

// Everything of one profile that the page edits and a download sends or stores.
struct ProfileSnapshot {
  int profile = 0;  // 0..4
  KeyMatrix matrix{};
  AuxInfoTable aux{};
  MacroUseRow macroUse{};  // the profile's row of MacroUse
  ConfigInfo config{};
  ProgramLink link{};  // ProCfg[profile]

  // Same matrix, texts, macro use and settings (the link is stored on its own).
  bool SameEdits(const ProfileSnapshot& other) const;
};

// The edited profile as the process-wide buffers hold it, and back.
ProfileSnapshot SnapshotOfBuffers(int profile);
void PutIntoBuffers(const ProfileSnapshot& snapshot);

// After a download of the edited profile: every key the user has not
// changed since the download began takes the code the download wrote (macro
// keys point at their slots); keys changed meanwhile stay edits.
void TakeWrittenKeys(KeyMatrix& edited, const KeyMatrix& started, const KeyMatrix& written);

// After a failed download: each part of the edited profile that is still as
// the download found it goes back to what it was before (baseline); parts
// changed meanwhile stay edits.
void PutBackUnchanged(ProfileSnapshot& edited, const ProfileSnapshot& started, const ProfileSnapshot& baseline);

// Unapplied edits of profiles other than the one shown.
class PendingEdits {
 public:
  void Keep(const ProfileSnapshot& edits) { kept_[std::size_t(edits.profile)] = edits; }
  std::optional<ProfileSnapshot> Take(int profile);
  bool Has(int profile) const { return kept_[std::size_t(profile)].has_value(); }

 private:
  std::array<std::optional<ProfileSnapshot>, kProfileCount> kept_;
};

// One download: started on a copy of the profile, carried back with its outcome.
struct DownloadJob {
  ProfileSnapshot snapshot;  // the worker rewrites the matrix's macro keys
  ProfileSnapshot started;   // the copy as it was when the download began
  bool written = false;
  std::uint64_t id = 0;
  // Started by a program-link switch, not by the user: its outcome is told
  // beside the tray icon, never in a box.
  bool background = false;
  // Puts the held profile back on the keyboard after a failed switch.
  bool putBack = false;
};

// Finished downloads, handed from the worker to the window thread.
class DownloadMailbox {
 public:
  void Post(std::shared_ptr<DownloadJob> job);
  std::shared_ptr<DownloadJob> Take();  // the oldest, or null

 private:
  std::mutex lock_;
  std::deque<std::shared_ptr<DownloadJob>> finished_;
};

struct MacroSlotEntry {
  std::uint32_t id = 0;      // the macro id of the keys' AuxInfo
  std::uint8_t slot = 0xFF;  // 0xFF: free
  bool free() const { return slot == 0xFF; }
};
constexpr std::size_t kMacroSlotCount = 30;
using MacroSlots = std::array<MacroSlotEntry, kMacroSlotCount>;

// What the walk asks of the keyboard and the macro store.
struct DownloadSteps {
  std::function<std::optional<MacroRecord>(std::uint32_t id)> loadMacro;
  std::function<bool(unsigned slot, const std::uint8_t* image)> writeSlot;
  std::function<bool(const KeyMatrix&)> writeMatrix;
  std::function<void(int percent)> progress;
  std::function<void(unsigned milliseconds)> wait;
};

// Walks the keys of the layout table: gives each macro a key uses one of the
// 30 slots (written once, when it takes its slot), points those keys at their
// slots in snapshot.matrix, then writes the whole matrix. False when the
// keyboard refused a slot or the matrix: a refused slot stops the run before
// the matrix, which would otherwise point keys at slots holding something else.
bool WriteSnapshot(ProfileSnapshot& snapshot, MacroSlots& slots, const DownloadSteps& steps);

}  // namespace q730x
