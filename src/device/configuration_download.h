// Making the keyboard carry the current profile: a worker thread walks the
// keys of the layout table, writes each macro a key uses into one of the
// keyboard's 30 macro slots, points those keys at their slots, writes the
// whole key matrix, and reports progress to a progress window and the result
// to the keyboard page.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "device/presence_tracker.h"

namespace q730x {

constexpr UINT WM_DOWNLOAD_PROGRESS = 0x42B;  // wParam: 0..100
constexpr UINT WM_DOWNLOAD_DONE = 0x703;
constexpr UINT WM_DOWNLOAD_FAILED = 0x704;

struct MacroSlotEntry {
  std::uint32_t id = 0;      // the macro id of the keys' AuxInfo
  std::uint8_t slot = 0xFF;  // 0xFF: free
  bool free() const { return slot == 0xFF; }
};
constexpr std::size_t kMacroSlotCount = 30;
// Which macro went to which slot in the last download.
extern std::array<MacroSlotEntry, kMacroSlotCount> MacroSlotTable;

// What the keyboard page shares with its download workers and with presence
// tracking. The page and every worker hold it by shared_ptr, so a worker that
// was still waiting for the lock when the page went finds valid memory, sees
// that the page is gone and ends without touching it.
struct DownloadShare {
  std::mutex lock;         // the page's download lock (restore takes it too)
  PresenceFlags presence;  // the one DeviceAbsent flag, set by presence tracking

  // Set with the lock held, by the page as it is destroyed; a worker reads
  // it after taking the lock.
  bool pageGone = false;

  // The page calls this while it is destroyed, before its window goes: it
  // waits for a worker inside its run, and no later worker touches the page.
  void MarkPageGone() {
    std::lock_guard hold(lock);
    pageGone = true;
  }
};

struct DownloadTarget {
  HWND page = nullptr;                   // receives 0x703 / 0x704
  std::shared_ptr<DownloadShare> share;  // the page's lock and flags
};

// The worker's whole run on the calling thread: progress goes to
// progressWindow (none: no progress). Whatever the outcome, a given progress
// window is closed at the end, so a modal box never stays open.
void RunDownload(const DownloadTarget& target, HWND progressWindow);

// Starts RunDownload on a thread of its own; false when the thread could not start.
bool StartDownloadThread(const DownloadTarget& target, HWND progressWindow);

}  // namespace q730x
