#include "capture_command_line.h"

namespace q730x::screenclip {

std::optional<CaptureTarget> ParseCaptureArguments(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 3 || arguments[0] != L"-t" || arguments[2] != L"-p") return std::nullopt;
  const std::wstring& target = arguments[1];
  if (target == L"desktop") return CaptureTarget::Desktop;
  if (target == L"window") return CaptureTarget::Window;
  if (target == L"region") return CaptureTarget::Region;
  return std::nullopt;
}

}  // namespace q730x::screenclip
