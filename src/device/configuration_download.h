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
#include <mutex>

namespace q730x {

constexpr UINT WM_DOWNLOAD_PROGRESS = 0x42B;  // wParam: 0..100
constexpr UINT WM_DOWNLOAD_DONE = 0x703;
constexpr UINT WM_DOWNLOAD_FAILED = 0x704;

struct MacroSlotEntry {
  std::uint32_t id = 0;    // 0: free
  std::uint8_t slot = 0xFF;
};
constexpr std::size_t kMacroSlotCount = 30;
// Which macro went to which slot in the last download.
extern std::array<MacroSlotEntry, kMacroSlotCount> MacroSlotTable;

// What the worker needs of the keyboard page. The page outlives the worker's
// use of these (it holds the lock while it is being destroyed).
struct DownloadTarget {
  HWND page = nullptr;                             // receives 0x703 / 0x704
  std::mutex* lock = nullptr;                      // the page's download lock
  const std::atomic<bool>* deviceAbsent = nullptr;  // the page's DeviceAbsent
};

// The worker's whole run on the calling thread: progress goes to
// progressWindow (none: no progress and no close).
void RunDownload(const DownloadTarget& target, HWND progressWindow);

// Starts RunDownload on a thread of its own; false when the thread could not start.
bool StartDownloadThread(const DownloadTarget& target, HWND progressWindow);

}  // namespace q730x
