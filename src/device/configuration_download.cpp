#include "device/configuration_download.h"

#include "device/detached_thread.h"
#include "device/keyboard_commands.h"
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

// Gives the macro of the key at position its slot and points the key at it.
void DownloadMacroKey(int position) {
  KeyCode& key = buffers::KeyMatrix[position];
  const std::optional<MacroRecord> record = LoadMacro(buffers::AuxInfo[position].MacroId());
  if (!record) {
    key = DefaultMatrix[position];  // the macro is gone
    return;
  }
  const MacroSlotWriter write = WriteMacroSlot;
  unsigned slot = 0xFF;
  for (const MacroSlotEntry& entry : MacroSlotTable) {
    if (entry.id == record->id()) {
      slot = entry.slot;
      EncodeAndSendMacro(slot, &*record, write);  // written again, to the same slot
      break;
    }
  }
  if (slot >= kMacroSlotCount) {
    for (std::size_t index = 0; index < kMacroSlotCount; ++index) {
      if (MacroSlotTable[index].id != 0) continue;
      slot = unsigned(index);
      EncodeAndSendMacro(slot, &*record, write);
      MacroSlotTable[index] = {record->id(), std::uint8_t(index)};
      break;
    }
  }
  if (slot < kMacroSlotCount) {
    key = MakeKeyboardMacroCode(std::uint8_t(record->playMode()), std::uint8_t(slot));
  } else {
    key = DefaultMatrix[position];  // every slot holds another macro
  }
}

}  // namespace

void RunDownload(const DownloadTarget& target, HWND progressWindow) {
  if (!target.page || !IsWindow(target.page) || !target.lock) return;
  bool written = false;
  {
    std::lock_guard hold(*target.lock);
    if (target.deviceAbsent && *target.deviceAbsent) {
      // Nothing is written; the progress window must not wait for ever.
      if (progressWindow) PostMessageW(progressWindow, WM_CLOSE, 0, 0);
      return;
    }
    Sleep(20);  // the progress window exists before the first post
    Progress(progressWindow, 0);
    MacroSlotTable.fill(MacroSlotEntry{});
    for (std::size_t k = 0; k < kKeyLayoutEntries; ++k) {
      Progress(progressWindow, int(k * 95 / kKeyLayoutEntries));
      const int position = KeyLayoutTable[k].position;
      if (buffers::KeyMatrix[position].type != KT_MACRO) continue;
      DownloadMacroKey(position);
    }
    Progress(progressWindow, 99);
    Sleep(10);
    written = WriteKeyMatrix(buffers::KeyMatrix);
  }
  if (written) {
    Progress(progressWindow, 100);
    Sleep(300);
    PostMessageW(target.page, WM_DOWNLOAD_DONE, 0, 0);
  } else {
    PostMessageW(target.page, WM_DOWNLOAD_FAILED, 0, 0);
  }
  if (progressWindow) PostMessageW(progressWindow, WM_CLOSE, 0, 0);
}

bool StartDownloadThread(const DownloadTarget& target, HWND progressWindow) {
  return StartDetachedThread([target, progressWindow] { RunDownload(target, progressWindow); });
}

}  // namespace q730x
