// The keyboard's macro image: the worked examples byte for byte, every pause
// threshold, the leading pause, the cut at pair 255 and lying records.
#include "model/macro_image.h"

#include <gtest/gtest.h>

namespace q730x {
namespace {

constexpr std::uint32_t kVkA = 0x41;

MacroEvent Press(std::uint32_t vk) { return MacroEvent::Make(MacroEvent::kPress, vk); }
MacroEvent Release(std::uint32_t vk) { return MacroEvent::Make(MacroEvent::kRelease, vk); }
MacroEvent Pause(std::uint32_t ms) { return MacroEvent::Make(MacroEvent::kPause, ms); }

MacroRecord Record(std::initializer_list<MacroEvent> events, std::uint32_t repeat = 1) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetRepeatCount(repeat);
  for (MacroEvent e : events) r.AppendEvent(e);
  r.SetSize(static_cast<std::uint32_t>(r.bytes().size()));
  return r;
}

std::vector<std::uint8_t> Encode(const MacroRecord& r, unsigned* cursor = nullptr) {
  MacroImage image;
  image.fill(0xCC);  // the encoder clears it
  const unsigned c = EncodeMacroImage(r, image);
  if (cursor) *cursor = c;
  return {image.begin(), image.end()};
}

// The first n bytes of an encoding; the rest must be zero.
std::vector<std::uint8_t> Head(const std::vector<std::uint8_t>& image, std::size_t n) {
  for (std::size_t i = n; i < image.size(); ++i)
    if (image[i] != 0) ADD_FAILURE() << "byte " << i << " is not zero";
  return {image.begin(), image.begin() + n};
}

using Bytes = std::vector<std::uint8_t>;

TEST(MacroImageTest, WorkedExample) {
  unsigned cursor = 0;
  const Bytes image = Encode(Record({Press(kVkA), Pause(1000), Release(kVkA)}), &cursor);
  EXPECT_EQ(Head(image, 6), (Bytes{0x00, 0x01, 0x64, 0x04, 0x80, 0x04}));
  EXPECT_EQ(cursor, 3u);
}

TEST(MacroImageTest, HeaderHoldsTheLowSixteenBitsOfTheRepeatCountHighByteFirst) {
  unsigned cursor = 0;
  const Bytes image = Encode(Record({}, 0x1234FFFD), &cursor);
  EXPECT_EQ(Head(image, 2), (Bytes{0xFF, 0xFD}));
  EXPECT_EQ(cursor, 1u);
  EXPECT_EQ(image.size(), 512u);
}

TEST(MacroImageTest, PausesAfterAStepUseTheSmallestUnitThatFits) {
  struct Case {
    std::uint32_t ms;
    Bytes pairs;  // after the press pair
  };
  const Case cases[] = {
      {5, {0x00, 0x04}},                               // vanishes
      {1000, {0x64, 0x04}},
      {1270, {0x7F, 0x04}},
      {1271, {0x00, 0x04, 0x00, 0x01, 0x00, 63}},
      {5000, {0x00, 0x04, 0x00, 0x01, 0x00, 0xFA}},
      {1310700, {0x00, 0x04, 0x00, 0x01, 0xFF, 0xFF}},
      {1310701, {0x00, 0x04, 0x00, 0x02, 0x66, 0x66}},  // 26,214 units of 50 ms
      {2000000, {0x00, 0x04, 0x00, 0x02, 0x9C, 0x40}},
      {3276750, {0x00, 0x04, 0x00, 0x02, 0xFF, 0xFF}},
      {3276751, {0x00, 0x04, 0x00, 0x03, 0x7F, 0xFF}},  // 32,767 units of 100 ms
      {6553500, {0x00, 0x04, 0x00, 0x03, 0xFF, 0xFF}},
      {6553501, {0x00, 0x04, 0x00, 0x00, 0x80, 0x04}},  // a blank pair, then the release
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ms);
    Bytes expected = {0x00, 0x01};
    expected.insert(expected.end(), c.pairs.begin(), c.pairs.end());
    if (c.ms != 6553501) expected.insert(expected.end(), {0x80, 0x04});
    const Bytes image = Encode(Record({Press(kVkA), Pause(c.ms), Release(kVkA)}));
    EXPECT_EQ(Head(image, expected.size()), expected);
  }
  // After a release the pause adds to the flagged byte.
  EXPECT_EQ(Head(Encode(Record({Release(kVkA), Pause(1000)})), 4), (Bytes{0x00, 0x01, 0xE4, 0x04}));
}

TEST(MacroImageTest, ALeadingPauseIsAlwaysInHundredMsUnitsOfItsLowSixteenBits) {
  EXPECT_EQ(Head(Encode(Record({Pause(1000)})), 6), (Bytes{0x00, 0x01, 0x00, 0x03, 0x00, 0x0A}));
  EXPECT_EQ(Head(Encode(Record({Pause(2000000)})), 6), (Bytes{0x00, 0x01, 0x00, 0x03, 0x01, 0x53}));
  EXPECT_EQ(Head(Encode(Record({Pause(5)})), 6), (Bytes{0x00, 0x01, 0x00, 0x03, 0x00, 0x00}));
}

TEST(MacroImageTest, AShortPauseWithNoKeyPairToFoldIntoTakesPairsOfItsOwn) {
  // After a long pause: 30 ms becomes a 20 ms unit pause of its own, instead
  // of adding into the long pause's count.
  EXPECT_EQ(Head(Encode(Record({Press(kVkA), Pause(5000), Pause(500)})), 12),
            (Bytes{0x00, 0x01, 0x00, 0x04, 0x00, 0x01, 0x00, 0xFA, 0x00, 0x01, 0x00, 0x19}));
  // Two short pauses that would overflow the key pair's 7-bit field: the
  // second one gets its own pairs and the pair stays a press.
  EXPECT_EQ(Head(Encode(Record({Press(kVkA), Pause(1000), Pause(1000)})), 8),
            (Bytes{0x00, 0x01, 0x64, 0x04, 0x00, 0x01, 0x00, 0x32}));
  // Two that fit together still fold.
  EXPECT_EQ(Head(Encode(Record({Press(kVkA), Pause(200), Pause(300)})), 4),
            (Bytes{0x00, 0x01, 0x32, 0x04}));
  // After a blank pair, and one too short to count after a long pause.
  EXPECT_EQ(Head(Encode(Record({Press(kVkA), MacroEvent{0x12000041}, Pause(100), Pause(5000),
                                Pause(15)})),
                 16),
            (Bytes{0x00, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x05, 0x00, 0x01,
                   0x00, 0xFA, 0x00, 0x00}));
}

TEST(MacroImageTest, KeysWithoutAUsageAndUnknownStepsGiveZeroCodesAndBlankPairs) {
  const Bytes image = Encode(Record({Press(0x0D), Press(0x10), Press(0x141), MacroEvent{0x12000041},
                                     Press(0x01), Release(0x04)}));
  EXPECT_EQ(Head(image, 14), (Bytes{0x00, 0x01, 0x00, 0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0xF0, 0x80, 0xF2}));
}

TEST(MacroImageTest, ARecordTooLongForTheImageIsCutAtAStepAndReleasesEveryHeldKey) {
  // Alternating press and release of A: the press that would leave no room
  // for its release is not written.
  MacroRecord r = Record({});
  for (int i = 0; i < 300; ++i) r.AppendEvent(i % 2 ? Release(kVkA) : Press(kVkA));
  r.SetSize(static_cast<std::uint32_t>(r.bytes().size()));
  unsigned cursor = 0;
  Bytes image = Encode(r, &cursor);
  EXPECT_EQ(cursor, 255u);
  EXPECT_EQ((Bytes{image[2 * 254], image[2 * 254 + 1]}), (Bytes{0x80, 0x04}));
  EXPECT_EQ((Bytes{image[2 * 255], image[2 * 255 + 1]}), (Bytes{0x00, 0x00}));

  // Shift held while A is pressed, paused and released again and again:
  // the pause after the last press of A no longer fits, so the image ends
  // with the releases of A and Shift, the last pressed first.
  constexpr std::uint32_t kVkB = 0x42, kVkLeftShift = 0xA0;
  MacroRecord held = Record({Press(kVkLeftShift), Press(kVkB), Release(kVkB)});
  for (int i = 0; i < 100; ++i) {
    held.AppendEvent(Press(kVkA));
    held.AppendEvent(Pause(5000));
    held.AppendEvent(Release(kVkA));
  }
  held.AppendEvent(Release(kVkLeftShift));
  held.SetSize(static_cast<std::uint32_t>(held.bytes().size()));
  image = Encode(held, &cursor);
  EXPECT_EQ(cursor, 255u);
  EXPECT_EQ(Bytes(image.begin() + 2 * 249, image.end()),
            (Bytes{0x00, 0x01, 0x00, 0xFA, 0x80, 0x04, 0x00, 0x04, 0x80, 0x04, 0x80, 0xE1, 0x00, 0x00}));

  // A long pause that would start at pair 255 is left out whole.
  MacroRecord longAtEnd = Record({});
  for (int i = 0; i < 127; ++i) {
    longAtEnd.AppendEvent(Press(kVkA));
    longAtEnd.AppendEvent(Release(kVkA));
  }
  longAtEnd.AppendEvent(Pause(5000));
  longAtEnd.AppendEvent(Press(kVkA));
  longAtEnd.SetSize(static_cast<std::uint32_t>(longAtEnd.bytes().size()));
  image = Encode(longAtEnd, &cursor);
  EXPECT_EQ(cursor, 255u);
  EXPECT_EQ((Bytes{image[510], image[511]}), (Bytes{0x00, 0x00}));
}

TEST(MacroImageTest, ARecordThatLiesAboutItsEventCountIsReadOnlyAsFarAsItsBytes) {
  MacroRecord r = Record({Press(kVkA), Release(kVkA)});
  std::vector<std::uint8_t> bytes = r.bytes();
  bytes[60] = 0xFF;  // claims 255 events
  bytes[61] = 0xFF;
  const std::optional<MacroRecord> lying = MacroRecord::FromBytes(bytes);
  ASSERT_TRUE(lying);
  EXPECT_EQ(lying->EventCount(), 2u);
  unsigned cursor = 0;
  EXPECT_EQ(Head(Encode(*lying, &cursor), 6), (Bytes{0x00, 0x01, 0x00, 0x04, 0x80, 0x04}));
  EXPECT_EQ(cursor, 3u);
}

TEST(MacroImageTest, SendingWritesTheWholeImageOnceAndNoRecordSendsNothing) {
  int calls = 0;
  unsigned slotSeen = 99;
  Bytes sent;
  const MacroSlotWriter writer = [&](unsigned slot, const std::uint8_t* image) {
    ++calls;
    slotSeen = slot;
    sent.assign(image, image + kMacroImageSize);
    return false;  // a refusal does not change the result
  };
  const MacroRecord r = Record({});
  EXPECT_EQ(EncodeAndSendMacro(7, &r, writer), 1u);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(slotSeen, 7u);
  EXPECT_EQ(Head(sent, 2), (Bytes{0x00, 0x01}));
  EXPECT_EQ(EncodeAndSendMacro(7, nullptr, writer), 0u);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace q730x
