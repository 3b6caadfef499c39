#include "device/key_event_actions.h"

#include "model/program_folder.h"

namespace q730x {

std::u16string CaptureCommandLine(unsigned kind, std::u16string_view programFolder) {
  std::u16string_view arguments;
  switch (kind) {
    case ACTION_CAPTURE_DESKTOP: arguments = u" -t desktop -p"; break;
    case ACTION_CAPTURE_WINDOW: arguments = u" -t window -p"; break;
    case ACTION_CAPTURE_REGION: arguments = u" -t region -p"; break;
    default: return std::u16string();
  }
  // Without a folder the bare name would be searched for: start nothing.
  if (programFolder.empty()) return std::u16string();
  // Quoted because the program folder may hold spaces.
  std::u16string line = u"\"";
  line += programFolder;
  line += u"ScreenClip.exe\"";
  line += arguments;
  return line;
}

std::u16string_view AuxRecordText(const char16_t* record) {
  if (!record) return {};
  std::size_t n = 0;
  while (n < kAuxTextUnits && record[n] != u'\0') ++n;
  return std::u16string_view(record, n);
}

bool RunKeyEvent(std::uint32_t eventWord, const char16_t* auxText, ActionPlatform& platform) {
  return RunKeyEvent(eventWord, [auxText](unsigned) { return auxText; }, platform);
}

bool RunKeyEvent(std::uint32_t eventWord, const AuxRecordLookup& auxRecord,
                 ActionPlatform& platform) {
  const auto word = static_cast<std::uint16_t>(eventWord);
  if (!IsActionEventWord(word)) return false;
  const unsigned kind = EventWordKind(word);
  if (kind == 0 || kind > ACTION_OPEN_WEB) return false;
  if (EventWordPosition(word) >= static_cast<unsigned>(kMatrixPositions)) return false;

  if (!ActionUsesAuxText(kind)) {
    const std::wstring& folder = ProgramFolder();
    const std::u16string line = CaptureCommandLine(
        kind, std::u16string_view(reinterpret_cast<const char16_t*>(folder.data()), folder.size()));
    if (line.empty()) return false;
    platform.RunCommandLine(line);
    return true;
  }
  const std::u16string_view text = AuxRecordText(auxRecord(EventWordPosition(word)));
  if (text.empty()) return false;
  switch (kind) {
    case ACTION_PLAY_SOUND:
      platform.PlaySoundFile(std::u16string(text));
      break;
    case ACTION_OPEN_FILE:
    case ACTION_OPEN_FOLDER:
      // The shell takes a path with spaces as one name only when quoted.
      if (text.find(u' ') != std::u16string_view::npos)
        platform.OpenWithShell(u"\"" + std::u16string(text) + u"\"");
      else
        platform.OpenWithShell(std::u16string(text));
      break;
    default:  // program and web address: passed as they are
      platform.OpenWithShell(std::u16string(text));
      break;
  }
  return true;
}

}  // namespace q730x
