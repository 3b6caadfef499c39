#include "device/key_event_actions.h"

namespace q730x {

std::string CaptureCommandLine(unsigned kind) {
  switch (kind) {
    case ACTION_CAPTURE_DESKTOP: return "ScreenClip.exe -t desktop -p";
    case ACTION_CAPTURE_WINDOW: return "ScreenClip.exe -t window -p";
    case ACTION_CAPTURE_REGION: return "ScreenClip.exe -t region -p";
    default: return std::string();
  }
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
    platform.RunCommandLine(CaptureCommandLine(kind));
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
