// Making the keyboard carry a profile: a worker thread takes a copy of the
// profile (ProfileSnapshot), writes each macro a key uses into one of the
// keyboard's 30 macro slots, points those keys at their slots, writes the
// whole key matrix, and reports progress to a progress window and the result
// to the keyboard session's window. The worker never touches the profile
// being edited.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "device/presence_tracker.h"
#include "device/session_profiles.h"

namespace q730x {

constexpr UINT WM_DOWNLOAD_PROGRESS = 0x42B;  // wParam: 0..100
// Results; wParam: the profile index the download was started for. The
// finished job waits in the share's mailbox.
constexpr UINT WM_DOWNLOAD_DONE = 0x703;
constexpr UINT WM_DOWNLOAD_FAILED = 0x704;

// Which macro went to which slot in the last download.
extern MacroSlots MacroSlotTable;

// What the keyboard session shares with its download workers and with
// presence tracking. The session and every worker hold it by shared_ptr, so
// a worker that was still waiting for the lock when the session ended finds
// valid memory, sees that the session is gone and ends without touching it.
struct DownloadShare {
  std::mutex lock;         // one download at a time
  PresenceFlags presence;  // the one DeviceAbsent flag, set by presence tracking
  DownloadMailbox finished;

  // Set with the lock held, by the session as it stops; a worker reads it
  // after taking the lock.
  bool pageGone = false;

  // The session calls this as it stops, before its window goes: it waits
  // for a worker inside its run, and no later worker posts to it.
  void MarkPageGone() {
    std::lock_guard hold(lock);
    pageGone = true;
  }

  // The download whose key matrix the keyboard took last, from the moment
  // the write succeeded until the session has taken that download's result
  // (its message follows 300 ms later). Key events in between already come
  // from its keys, so they run its texts. Its own small lock: a worker holds
  // `lock` for a whole download, and key events must not wait for one.
  void NoteMatrixSent(std::shared_ptr<const DownloadJob> job) {
    std::lock_guard hold(sentLock);
    matrixSent = std::move(job);
  }
  std::shared_ptr<const DownloadJob> MatrixSent() {
    std::lock_guard hold(sentLock);
    return matrixSent;
  }
  // The result of download jobId was taken: what it wrote is held from now on.
  void ResultTaken(std::uint64_t jobId) {
    std::lock_guard hold(sentLock);
    if (matrixSent && matrixSent->id == jobId) matrixSent.reset();
  }

 private:
  std::mutex sentLock;
  std::shared_ptr<const DownloadJob> matrixSent;
};

struct DownloadTarget {
  HWND page = nullptr;                   // receives 0x703 / 0x704
  std::shared_ptr<DownloadShare> share;  // the session's lock, flags and mailbox
  std::shared_ptr<DownloadJob> job;      // the profile to write
};

// The worker's whole run on the calling thread: progress goes to
// progressWindow (none: no progress). Whatever the outcome, a given progress
// window is closed at the end, so a modal box never stays open. An absent
// keyboard writes nothing and is reported as a failure.
void RunDownload(const DownloadTarget& target, HWND progressWindow);

// Starts RunDownload on a thread of its own; false when the thread could not start.
bool StartDownloadThread(const DownloadTarget& target, HWND progressWindow);

}  // namespace q730x
