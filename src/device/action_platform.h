// The production ActionPlatform: programs, files, folders, addresses and the
// capture tool are started by the desktop's shell, as the signed-in user, on
// the desktop-shell worker (desktop_launches.h), so that a stalled shell
// never stalls the window thread. When the shell does not answer, a program
// is started with the shell's own token; anything else, or a program without
// that token, is not started at all. Sounds play with PlaySoundW.
#pragma once

#include <windows.h>

#include "device/desktop_launches.h"
#include "device/key_event_actions.h"

namespace q730x {

class WindowsActionPlatform final : public ActionPlatform {
 public:
  void RunCommandLine(const std::u16string& commandLine) override;
  void PlaySoundFile(const std::u16string& file) override;
  void OpenWithShell(const std::u16string& target) override;

 private:
  DesktopLaunches launches_;
};

// One process-wide instance for the keyboard page.
ActionPlatform& SystemActionPlatform();

// A launch that could not be started with the desktop user's rights (no
// shell answers, and the shell's token is not to be had) is not started; the
// worker then posts message to window (0, 0). Never with the utility's own
// token, which is elevated.
void TellLaunchRefusalsTo(HWND window, UINT message);

}  // namespace q730x
