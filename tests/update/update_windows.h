// The windows of the update check as tests meet them: the outer sizes of the
// message box, the update prompt and the about dialog, the client points of
// their buttons, and where their texts are drawn.
#pragma once

#include <windows.h>

#include "screen_text.h"

namespace q730x::test {

inline constexpr SIZE kMessageBoxSize{330, 172}, kPromptSize{330, 160}, kAboutSize{427, 228};
inline constexpr POINT kFirmwareCheck{275, 163}, kUtilityCheck{275, 184}, kPromptOk{267, 130}, kBoxOk{270, 140};
inline constexpr TextPlace kBoxText{82, 72, 240, 98, {82, 72, 322, 126}};
inline constexpr TextPlace kPromptText{25, 50, 306, 75, {25, 50, 329, 116}};
inline constexpr TextPlace kFirmwareLine{32, 156, 202, 179, {32, 156, 207, 178}};
// Where the description sends the firmware image, on the update server.
inline constexpr char kImagePath[] = "/software/Q730X/KavexGameDevice.MTP";

}  // namespace q730x::test
