// Software actions carried out when the keyboard reports a key event
// (message 0x7EB): screen captures, a sound, or opening a file, a folder, a
// program or a web address. The platform calls go through ActionPlatform so
// that tests see exactly what would be run. Platform-free: no <windows.h>.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/key_code.h"

namespace q730x {

// The calls an action makes. Production forwards them to CreateProcessW,
// PlaySoundW and ShellExecuteW (action_platform.h).
class ActionPlatform {
 public:
  virtual ~ActionPlatform() = default;
  // Starts the program the command line names by its full quoted path, shown
  // normally. The program is not searched for in the current folder or on PATH.
  virtual void RunCommandLine(const std::u16string& commandLine) = 0;
  // PlaySoundW(file, module, SND_FILENAME | SND_ASYNC | SND_NODEFAULT).
  virtual void PlaySoundFile(const std::u16string& file) = 0;
  // ShellExecuteW(verb "open", target, no parameters, no folder, SW_SHOWNORMAL).
  virtual void OpenWithShell(const std::u16string& target) = 0;
};

// The capture tool's command line for kinds 1 to 3 (empty for other kinds
// and for an empty folder):
// the ScreenClip.exe in programFolder (which ends in a backslash), quoted,
// then the arguments, for example
//   "C:\Program Files\Q730X\ScreenClip.exe" -t desktop -p
// The utility runs elevated, so it must never start a ScreenClip.exe that
// someone put in the current folder or on PATH.
std::u16string CaptureCommandLine(unsigned kind, std::u16string_view programFolder);

// The text of one AuxInfo record: up to its terminating zero, and never
// beyond its kAuxTextUnits units even when the record has no terminator.
std::u16string_view AuxRecordText(const char16_t* record);

// Handles one event word; captures run the ScreenClip.exe next to the
// program (ProgramFolder()). auxText is the AuxInfo record of the key the word
// names (bits 0..7); it is only read for kinds 4 to 8 and may be null.
// Returns whether an action was started; words that are not action events,
// carry kind 0 or above 8, or name a key beyond the matrix do nothing.
bool RunKeyEvent(std::uint32_t eventWord, const char16_t* auxText, ActionPlatform& platform);

// The same with the AuxInfo records at hand: auxRecord(i) gives the record of
// key i, and is asked only for a key index below 160 and kinds 4 to 8.
using AuxRecordLookup = std::function<const char16_t*(unsigned keyIndex)>;
bool RunKeyEvent(std::uint32_t eventWord, const AuxRecordLookup& auxRecord,
                 ActionPlatform& platform);

}  // namespace q730x
