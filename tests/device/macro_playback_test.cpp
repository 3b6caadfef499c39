// What the virtual keyboard plays from a slot, for images the utility's
// encoder makes: pauses keep their length whatever comes before them, and an
// image cut short still lets go of every key.
#include "macro_playback.h"

#include <gtest/gtest.h>

#include "model/macro_image.h"

namespace q730x {
namespace {

using vkb::DecodeMacroImage;
using vkb::PlaybackText;

constexpr std::uint32_t kVkA = 0x41, kVkB = 0x42, kVkLeftShift = 0xA0;

MacroEvent Press(std::uint32_t vk) { return MacroEvent::Make(MacroEvent::kPress, vk); }
MacroEvent Release(std::uint32_t vk) { return MacroEvent::Make(MacroEvent::kRelease, vk); }
MacroEvent Pause(std::uint32_t ms) { return MacroEvent::Make(MacroEvent::kPause, ms); }

std::string Played(std::initializer_list<MacroEvent> events, std::uint32_t repeat = 1) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetRepeatCount(repeat);
  for (MacroEvent e : events) r.AppendEvent(e);
  r.SetSize(static_cast<std::uint32_t>(r.bytes().size()));
  MacroImage image;
  EncodeMacroImage(r, image);
  return PlaybackText(DecodeMacroImage(image));
}

TEST(MacroPlaybackTest, KeysAndPausesPlayInOrderWithTheirLengths) {
  EXPECT_EQ(Played({Press(kVkA), Pause(1000), Release(kVkA)}), "repeat 1 +04 w1000 -04");
  EXPECT_EQ(Played({Press(kVkA), Pause(120), Release(kVkA), Pause(5000), Press(kVkB), Release(kVkB)}, 3),
            "repeat 3 +04 w120 -04 w5000 +05 -05");
  EXPECT_EQ(Played({Press(kVkA), Pause(2000000), Release(kVkA)}), "repeat 1 +04 w2000000 -04");
  EXPECT_EQ(Played({Pause(1000), Press(kVkA), Release(kVkA)}), "repeat 1 w1000 +04 -04");
}

TEST(MacroPlaybackTest, AShortPauseAfterALongOneKeepsItsLength) {
  // Folded into the long pause's count this would play as about 261 s.
  EXPECT_EQ(Played({Press(kVkA), Pause(5000), Pause(500), Release(kVkA)}),
            "repeat 1 +04 w5500 -04");
}

TEST(MacroPlaybackTest, AdjacentShortPausesNeverTurnAPressIntoARelease) {
  EXPECT_EQ(Played({Press(kVkA), Pause(1000), Pause(1000), Release(kVkA)}),
            "repeat 1 +04 w2000 -04");
  // Those that take pairs of their own count in 20 ms units (1,270 -> 1,260).
  EXPECT_EQ(Played({Press(kVkA), Pause(1270), Pause(1270), Pause(1270), Release(kVkA)}),
            "repeat 1 +04 w3790 -04");
}

TEST(MacroPlaybackTest, AnImageCutShortReleasesEveryKeyItPressed) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetRepeatCount(1);
  r.AppendEvent(Press(kVkLeftShift));
  for (int i = 0; i < 200; ++i) {
    r.AppendEvent(Press(kVkA));
    r.AppendEvent(Pause(3000));
    r.AppendEvent(Press(kVkB));
    r.AppendEvent(Release(kVkB));
    r.AppendEvent(Release(kVkA));
  }
  r.AppendEvent(Release(kVkLeftShift));
  r.SetSize(static_cast<std::uint32_t>(r.bytes().size()));
  MacroImage image;
  EncodeMacroImage(r, image);
  const vkb::MacroPlayback played = DecodeMacroImage(image);
  EXPECT_TRUE(played.held.empty()) << PlaybackText(played);
  EXPECT_FALSE(played.truncated);
  ASSERT_FALSE(played.actions.empty());
  EXPECT_EQ(played.actions.back(), (vkb::PlaybackAction{vkb::PlaybackAction::Release, 0xE1, 0}));
}

TEST(MacroPlaybackTest, ALongPauseMarkerInTheLastPairIsReportedNotReadPastTheImage) {
  std::array<std::uint8_t, 512> image{};
  image[1] = 1;
  image[2] = 0x00, image[3] = 0x04;
  image[510] = 0x00, image[511] = 0x02;
  const vkb::MacroPlayback played = DecodeMacroImage(image);
  EXPECT_TRUE(played.truncated);
  EXPECT_EQ(PlaybackText(played), "repeat 1 +04 truncated held 04");
}

}  // namespace
}  // namespace q730x
