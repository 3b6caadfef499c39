#include "device/configuration_download.h"

#include "device/detached_thread.h"
#include "device/keyboard_commands.h"
#include "device/precise_wait.h"
#include "model/key_code.h"
#include "model/key_layout_table.h"
#include "model/macro_image.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"

namespace q730x {

std::array<MacroSlotEntry, kMacroSlotCount> MacroSlotTable;

namespace {

void Progress(HWND window, int position) {
  if (window) PostMessageW(window, WM_DOWNLOAD_PROGRESS, WPARAM(position), 0);
}

void CloseProgress(HWND window) {
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
}

// The table entry of a macro id that already has a slot in this download.
const MacroSlotEntry* SlotOf(std::uint32_t macroId) {
  for (const MacroSlotEntry& entry : MacroSlotTable)
    if (!entry.free() && entry.id == macroId) return &entry;
  return nullptr;
}

// Gives the macro of the key at position its slot and points the key at it.
// Each macro is written once per download, when it takes its slot; later keys
// with the same macro id only point at that slot. False when the keyboard
// refused a slot write.
bool DownloadMacroKey(int position) {
  KeyCode& key = buffers::KeyMatrix[position];
  // Keyed by the id the key names, not by the record's own id field, so that
  // records with equal (or zero) id fields never share a slot.
  const std::uint32_t macroId = buffers::AuxInfo[position].MacroId();
  const std::optional<MacroRecord> record = LoadMacro(macroId);
  if (!record) {
    key = DefaultMatrix[position];  // the macro is gone
    return true;
  }
  const std::uint8_t mode = std::uint8_t(record->playMode());
  if (const MacroSlotEntry* entry = SlotOf(macroId)) {
    key = MakeKeyboardMacroCode(mode, entry->slot);
    return true;
  }
  for (std::size_t index = 0; index < kMacroSlotCount; ++index) {
    if (!MacroSlotTable[index].free()) continue;
    bool accepted = false;
    EncodeAndSendMacro(unsigned(index), &*record, [&](unsigned slot, const std::uint8_t* image) {
      return accepted = WriteMacroSlot(slot, image);
    });
    if (!accepted) return false;
    MacroSlotTable[index] = {macroId, std::uint8_t(index)};
    key = MakeKeyboardMacroCode(mode, std::uint8_t(index));
    return true;
  }
  key = DefaultMatrix[position];  // every slot holds another macro
  return true;
}

// Slots and matrix, with the lock held. False when the keyboard refused a
// slot or the matrix: a refused slot stops the run before the matrix, which
// would otherwise point keys at slots that hold something else.
bool WriteProfile(HWND progressWindow) {
  WaitAtLeast(20);  // the progress window exists before the first post
  Progress(progressWindow, 0);
  MacroSlotTable.fill(MacroSlotEntry{});
  for (std::size_t k = 0; k < kKeyLayoutEntries; ++k) {
    Progress(progressWindow, int(k * 95 / kKeyLayoutEntries));
    const int position = KeyLayoutTable[k].position;
    if (buffers::KeyMatrix[position].type != KT_MACRO) continue;
    if (!DownloadMacroKey(position)) return false;
  }
  Progress(progressWindow, 99);
  WaitAtLeast(10);
  return WriteKeyMatrix(buffers::KeyMatrix);
}

}  // namespace

void RunDownload(const DownloadTarget& target, HWND progressWindow) {
  if (!target.page || !target.share) {
    CloseProgress(progressWindow);
    return;
  }
  DownloadShare& share = *target.share;
  // The download's own waits are as exact as its transfers' (a default timer
  // tick would stretch each by up to 15 ms on Windows).
  TimerResolutionScope resolution;
  bool written = false;
  {
    std::lock_guard hold(share.lock);
    // A page that went while this worker waited, or no keyboard: nothing is
    // written and no result is sent, but the progress window must not wait for ever.
    if (share.pageGone || !IsWindow(target.page) || share.presence.deviceAbsent) {
      CloseProgress(progressWindow);
      return;
    }
    written = WriteProfile(progressWindow);
  }
  if (written) {
    Progress(progressWindow, 100);
    WaitAtLeast(300);
    PostMessageW(target.page, WM_DOWNLOAD_DONE, 0, 0);
  } else {
    PostMessageW(target.page, WM_DOWNLOAD_FAILED, 0, 0);
  }
  CloseProgress(progressWindow);
}

bool StartDownloadThread(const DownloadTarget& target, HWND progressWindow) {
  return StartDetachedThread([target, progressWindow] { RunDownload(target, progressWindow); });
}

}  // namespace q730x
