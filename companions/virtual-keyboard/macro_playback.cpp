#include "macro_playback.h"

#include <algorithm>
#include <cstdio>

namespace q730x::vkb {

namespace {

constexpr unsigned kPairs = 256;

void Wait(MacroPlayback& out, std::uint32_t ms) {
  if (ms == 0) return;
  if (!out.actions.empty() && out.actions.back().kind == PlaybackAction::Wait) {
    out.actions.back().ms += ms;
  } else {
    out.actions.push_back({PlaybackAction::Wait, 0, ms});
  }
}

std::uint32_t UnitMs(std::uint8_t unit) { return unit == 1 ? 20 : unit == 2 ? 50 : 100; }

}  // namespace

MacroPlayback DecodeMacroImage(const std::array<std::uint8_t, 512>& image) {
  MacroPlayback out;
  out.repeat = static_cast<std::uint16_t>(image[0] << 8 | image[1]);
  for (unsigned p = 1; p < kPairs; ++p) {
    const std::uint8_t first = image[2 * p], second = image[2 * p + 1];
    if (first == 0x00 && second >= 0x01 && second <= 0x03) {
      if (p + 1 >= kPairs) {
        out.truncated = true;
        break;
      }
      const std::uint32_t count = std::uint32_t{image[2 * p + 2]} << 8 | image[2 * p + 3];
      Wait(out, count * UnitMs(second));
      ++p;
      continue;
    }
    if (second != 0) {
      const bool release = (first & 0x80) != 0;
      out.actions.push_back({release ? PlaybackAction::Release : PlaybackAction::Press, second, 0});
      auto at = std::find(out.held.begin(), out.held.end(), second);
      if (release && at != out.held.end()) out.held.erase(at);
      if (!release && at == out.held.end()) out.held.push_back(second);
    }
    Wait(out, std::uint32_t{first & 0x7Fu} * 10);
  }
  return out;
}

std::string PlaybackText(const MacroPlayback& playback) {
  std::string text = "repeat " + std::to_string(playback.repeat);
  char token[16];
  for (const PlaybackAction& a : playback.actions) {
    if (a.kind == PlaybackAction::Wait) {
      std::snprintf(token, sizeof token, " w%u", static_cast<unsigned>(a.ms));
    } else {
      std::snprintf(token, sizeof token, " %c%02X", a.kind == PlaybackAction::Press ? '+' : '-', a.code);
    }
    text += token;
  }
  if (playback.truncated) text += " truncated";
  if (!playback.held.empty()) {
    text += " held";
    for (std::uint8_t code : playback.held) {
      std::snprintf(token, sizeof token, " %02X", code);
      text += token;
    }
  }
  return text;
}

}  // namespace q730x::vkb
