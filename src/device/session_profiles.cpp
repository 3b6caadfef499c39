#include "device/session_profiles.h"

#include <algorithm>
#include <cstring>

#include "model/key_layout_table.h"
#include "model/macro_image.h"
#include "model/profile_buffers.h"

namespace q730x {

namespace {

bool SameBytes(const void* a, const void* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

MacroUseRow::iterator RowOf(int profile) {
  return buffers::MacroUse.begin() + std::ptrdiff_t(profile) * kMatrixPositions;
}

}  // namespace

bool ProfileSnapshot::SameEdits(const ProfileSnapshot& other) const {
  return matrix == other.matrix && SameBytes(&aux, &other.aux, sizeof aux) && macroUse == other.macroUse &&
         SameBytes(&config, &other.config, sizeof config);
}

ProfileSnapshot SnapshotOfBuffers(int profile) {
  ProfileSnapshot copy;
  copy.profile = profile;
  copy.matrix = buffers::KeyMatrix;
  copy.aux = buffers::AuxInfo;
  std::copy_n(RowOf(profile), kMatrixPositions, copy.macroUse.begin());
  copy.config = buffers::ConfigInfo;
  copy.link = buffers::ProCfg[std::size_t(profile)];
  return copy;
}

void PutIntoBuffers(const ProfileSnapshot& snapshot) {
  buffers::KeyMatrix = snapshot.matrix;
  buffers::AuxInfo = snapshot.aux;
  std::copy(snapshot.macroUse.begin(), snapshot.macroUse.end(), RowOf(snapshot.profile));
  buffers::ConfigInfo = snapshot.config;
  buffers::ProCfg[std::size_t(snapshot.profile)] = snapshot.link;
}

void TakeWrittenKeys(KeyMatrix& edited, const KeyMatrix& started, const KeyMatrix& written) {
  for (std::size_t p = 0; p < kMatrixPositions; ++p)
    if (edited[p] == started[p]) edited[p] = written[p];
}

void PutBackUnchanged(ProfileSnapshot& edited, const ProfileSnapshot& started, const ProfileSnapshot& baseline) {
  for (std::size_t p = 0; p < kMatrixPositions; ++p) {
    if (edited.matrix[p] == started.matrix[p]) edited.matrix[p] = baseline.matrix[p];
    if (SameBytes(&edited.aux[p], &started.aux[p], sizeof(AuxRecord))) edited.aux[p] = baseline.aux[p];
    if (edited.macroUse[p] == started.macroUse[p]) edited.macroUse[p] = baseline.macroUse[p];
  }
  if (SameBytes(&edited.config, &started.config, sizeof(ConfigInfo))) edited.config = baseline.config;
  if (SameBytes(&edited.link, &started.link, sizeof(ProgramLink))) edited.link = baseline.link;
}

std::optional<ProfileSnapshot> PendingEdits::Take(int profile) {
  std::optional<ProfileSnapshot> edits;
  edits.swap(kept_[std::size_t(profile)]);
  return edits;
}

void DownloadMailbox::Post(std::shared_ptr<DownloadJob> job) {
  std::lock_guard hold(lock_);
  finished_.push_back(std::move(job));
}

std::shared_ptr<DownloadJob> DownloadMailbox::Take() {
  std::lock_guard hold(lock_);
  if (finished_.empty()) return nullptr;
  std::shared_ptr<DownloadJob> job = std::move(finished_.front());
  finished_.pop_front();
  return job;
}

namespace {

const MacroSlotEntry* SlotOf(const MacroSlots& slots, std::uint32_t macroId) {
  for (const MacroSlotEntry& entry : slots)
    if (!entry.free() && entry.id == macroId) return &entry;
  return nullptr;
}

// Gives the macro of the key at position its slot and points the key at it.
// Later keys with the same macro id only point at that slot. False when the
// keyboard refused a slot write.
bool DownloadMacroKey(ProfileSnapshot& snapshot, int position, MacroSlots& slots, const DownloadSteps& steps) {
  KeyCode& key = snapshot.matrix[position];
  // Keyed by the id the key names, not by the record's own id field, so that
  // records with equal (or zero) id fields never share a slot.
  const std::uint32_t macroId = snapshot.aux[position].MacroId();
  const std::optional<MacroRecord> record = steps.loadMacro(macroId);
  if (!record) {
    key = DefaultMatrix[position];  // the macro is gone
    return true;
  }
  const std::uint8_t mode = std::uint8_t(record->playMode());
  if (const MacroSlotEntry* entry = SlotOf(slots, macroId)) {
    key = MakeKeyboardMacroCode(mode, entry->slot);
    return true;
  }
  for (std::size_t index = 0; index < kMacroSlotCount; ++index) {
    if (!slots[index].free()) continue;
    bool accepted = false;
    EncodeAndSendMacro(unsigned(index), &*record, [&](unsigned slot, const std::uint8_t* image) {
      return accepted = steps.writeSlot(slot, image);
    });
    if (!accepted) return false;
    slots[index] = {macroId, std::uint8_t(index)};
    key = MakeKeyboardMacroCode(mode, std::uint8_t(index));
    return true;
  }
  key = DefaultMatrix[position];  // every slot holds another macro
  return true;
}

}  // namespace

bool WriteSnapshot(ProfileSnapshot& snapshot, MacroSlots& slots, const DownloadSteps& steps) {
  steps.wait(20);  // the progress window exists before the first post
  steps.progress(0);
  slots.fill(MacroSlotEntry{});
  for (std::size_t k = 0; k < kKeyLayoutEntries; ++k) {
    steps.progress(int(k * 95 / kKeyLayoutEntries));
    const int position = KeyLayoutTable[k].position;
    if (snapshot.matrix[position].type != KT_MACRO) continue;
    if (!DownloadMacroKey(snapshot, position, slots, steps)) return false;
  }
  steps.progress(99);
  steps.wait(10);
  return steps.writeMatrix(snapshot.matrix);
}

}  // namespace q730x
