// The production ActionPlatform: programs, files, folders, addresses and the
// capture tool are started by the desktop's shell, as the signed-in user
// (CreateProcessW and ShellExecuteW only where no desktop shell answers);
// sounds play with PlaySoundW.
#pragma once

#include "device/key_event_actions.h"

namespace q730x {

class WindowsActionPlatform final : public ActionPlatform {
 public:
  void RunCommandLine(const std::u16string& commandLine) override;
  void PlaySoundFile(const std::u16string& file) override;
  void OpenWithShell(const std::u16string& target) override;
};

// One process-wide instance for the keyboard page.
ActionPlatform& SystemActionPlatform();

}  // namespace q730x
