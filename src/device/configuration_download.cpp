#include "device/configuration_download.h"

#include "device/detached_thread.h"
#include "device/keyboard_commands.h"
#include "device/precise_wait.h"
#include "model/macro_store.h"

namespace q730x {

MacroSlots MacroSlotTable;

namespace {

void Progress(HWND window, int position) {
  if (window) PostMessageW(window, WM_DOWNLOAD_PROGRESS, WPARAM(position), 0);
}

void CloseProgress(HWND window) {
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
}

DownloadSteps KeyboardSteps(const DownloadTarget& target, HWND progressWindow) {
  DownloadSteps steps;
  steps.loadMacro = [](std::uint32_t id) { return LoadMacro(id); };
  steps.writeSlot = [](unsigned slot, const std::uint8_t* image) { return WriteMacroSlot(slot, image); };
  // The keyboard runs the new keys from the moment the matrix is written.
  steps.writeMatrix = [share = target.share, job = target.job](const KeyMatrix& matrix) {
    if (!WriteKeyMatrix(matrix)) return false;
    share->NoteMatrixSent(job);
    return true;
  };
  steps.progress = [progressWindow](int percent) { Progress(progressWindow, percent); };
  steps.wait = [](unsigned milliseconds) { WaitAtLeast(milliseconds); };
  return steps;
}

}  // namespace

void RunDownload(const DownloadTarget& target, HWND progressWindow) {
  if (!target.page || !target.share || !target.job) {
    CloseProgress(progressWindow);
    return;
  }
  DownloadShare& share = *target.share;
  DownloadJob& job = *target.job;
  // The download's own waits are as exact as its transfers' (a default timer
  // tick would stretch each by up to 15 ms on Windows).
  TimerResolutionScope resolution;
  {
    std::lock_guard hold(share.lock);
    // A session that ended while this worker waited: nothing is written and
    // no result is sent, but the progress window must not wait for ever.
    if (share.pageGone || !IsWindow(target.page)) {
      CloseProgress(progressWindow);
      return;
    }
    // No keyboard: nothing is written, and that is a failure, not a success.
    job.written = !share.presence.deviceAbsent && WriteSnapshot(job.snapshot, MacroSlotTable, KeyboardSteps(target, progressWindow));
  }
  if (job.written) {
    Progress(progressWindow, 100);
    WaitAtLeast(300);
  }
  const WPARAM profile = WPARAM(job.snapshot.profile);
  share.finished.Post(target.job);
  PostMessageW(target.page, job.written ? WM_DOWNLOAD_DONE : WM_DOWNLOAD_FAILED, profile, 0);
  CloseProgress(progressWindow);
}

bool StartDownloadThread(const DownloadTarget& target, HWND progressWindow) {
  return StartDetachedThread([target, progressWindow] { RunDownload(target, progressWindow); });
}

}  // namespace q730x
