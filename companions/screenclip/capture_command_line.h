// The command lines ScreenClip.exe takes: exactly the three the utility runs
// for its capture keys. Platform-free, so it is tested without windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace q730x::screenclip {

enum class CaptureTarget { Desktop, Window, Region };

// arguments: the words after the program name. "-t desktop -p", "-t window -p"
// or "-t region -p" give their target; every other list gives nothing.
std::optional<CaptureTarget> ParseCaptureArguments(const std::vector<std::wstring>& arguments);

}  // namespace q730x::screenclip
