// The production ActionPlatform: the real CreateProcessW, PlaySoundW and ShellExecuteW.
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
