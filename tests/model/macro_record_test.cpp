// Macro records: building one from the manager's step list, the repeat
// field, the name field and the id helper.
#include "model/macro_record.h"

#include <set>

#include <gtest/gtest.h>

namespace q730x {
namespace {

MacroBuildInput Input(std::uint32_t id, std::u16string name, std::u16string repeat,
                      bool second = false, bool third = false) {
  MacroBuildInput in;
  in.id = id;
  in.name = std::move(name);
  in.repeatField = std::move(repeat);
  in.secondModeOn = second;
  in.thirdModeOn = third;
  return in;
}

std::vector<std::uint32_t> Words(const MacroRecord& r) {
  std::vector<std::uint32_t> w;
  for (std::size_t i = 0; i < r.EventCount(); ++i) w.push_back(r.Event(i).word);
  return w;
}

TEST(MacroRecordTest, BuildingConvertsStepsAndClosesATrailingPress) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_PAUSE, 100),
                                      MakeStep(STEP_RELEASE, 0x41), MakeStep(STEP_PRESS, 0x42)};
  const std::optional<MacroRecord> r =
      BuildMacroRecord(steps, Input(0x00ABCDEF, u"Macro 1", u"3"));
  ASSERT_TRUE(r);
  EXPECT_EQ(Words(*r), (std::vector<std::uint32_t>{0xC0000041, 0xA0000064, 0xE0000041, 0xC0000042,
                                                   0xE0000042}));
  EXPECT_EQ(r->eventCountField(), 5u);
  EXPECT_EQ(r->size(), 64u + 4 * 5);
  EXPECT_EQ(r->bytes().size(), r->size());
  EXPECT_EQ(r->format(), kMacroFormat);
  EXPECT_EQ(r->id(), 0x00ABCDEFu);
  EXPECT_EQ(r->name(), u"Macro 1");
  EXPECT_EQ(r->repeatCount(), 3u);
  EXPECT_EQ(r->playMode(), 0u);
  EXPECT_TRUE(r->IsWritable());
  EXPECT_EQ(steps.size(), 4u);  // the list itself shows no closing release

  std::vector<std::uint32_t> empty;
  EXPECT_FALSE(BuildMacroRecord(empty, {}));
}

TEST(MacroRecordTest, AdjacentPausesMergeInTheListWithACap) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PAUSE, 100), MakeStep(STEP_PAUSE, 200),
                                      MakeStep(STEP_PAUSE, 300), MakeStep(STEP_PRESS, 0x41),
                                      MakeStep(STEP_PAUSE, 300000), MakeStep(STEP_PAUSE, 300000)};
  EXPECT_EQ(MergeAdjacentPauses(steps), 2);
  EXPECT_EQ(steps, (std::vector<std::uint32_t>{MakeStep(STEP_PAUSE, 600), MakeStep(STEP_PRESS, 0x41),
                                               MakeStep(STEP_PAUSE, kMaxMergedPauseMs)}));
  EXPECT_EQ(MergeAdjacentPauses(steps), -1);
}

TEST(MacroRecordTest, ModeButtonsAndRepeatField) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_RELEASE, 0x41)};
  EXPECT_EQ(BuildMacroRecord(steps, Input(1, u"m", u"", true, true))->playMode(), 2u);
  EXPECT_EQ(BuildMacroRecord(steps, Input(1, u"m", u"", false, true))->playMode(), 1u);
  EXPECT_EQ(RepeatCountFromField(u"65534"), 0xFFFDu);
  EXPECT_EQ(RepeatCountFromField(u"65533"), 65533u);
  EXPECT_EQ(RepeatCountFromField(u"99999999999999"), 0xFFFDu);
  EXPECT_EQ(RepeatCountFromField(u"0"), 1u);
  EXPECT_EQ(RepeatCountFromField(u""), 1u);
  EXPECT_EQ(RepeatCountFromField(u"abc"), 1u);
  EXPECT_EQ(RepeatCountFromField(u"-5"), 1u);
  EXPECT_EQ(RepeatCountFromField(u" 12x"), 12u);
}

TEST(MacroRecordTest, NamesAreReadAsAtMostNineteenCharacters) {
  MacroRecord r;
  r.SetName(u"a name that is far too long");
  EXPECT_EQ(r.name(), u"a name that is far ");
  std::vector<std::uint8_t> bytes = r.bytes();
  for (std::size_t i = 20; i < 60; i += 2) bytes[i] = 'x';  // no terminator at all
  EXPECT_EQ(MacroRecord::FromBytes(bytes)->name(), std::u16string(19, u'x'));
}

TEST(MacroRecordTest, ShortOrLyingBytesAreBoundedByWhatIsHeld) {
  EXPECT_FALSE(MacroRecord::FromBytes(std::vector<std::uint8_t>(63, 0)));
  std::vector<std::uint8_t> bytes(64 + 8, 0);
  bytes[0] = 200;  // size claims 200 bytes
  bytes[6] = 0xE8;
  bytes[7] = 0xE8;
  bytes[60] = 10;  // and ten events
  const std::optional<MacroRecord> r = MacroRecord::FromBytes(bytes);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->EventCount(), 2u);
  EXPECT_EQ(r->Event(5).word, 0u);
  EXPECT_TRUE(r->IsListable());
  EXPECT_FALSE(r->IsWritable());  // writing 200 bytes would read past the record
  // A header-only record with a valid format is listed but not written.
  MacroRecord header;
  header.SetFormat(kMacroFormat);
  header.SetSize(64);
  EXPECT_TRUE(header.IsListable());
  EXPECT_FALSE(header.IsWritable());
}

TEST(MacroRecordTest, NewIdsUseTheLowTickBitsAndSkipTakenIdsAndZero) {
  const std::set<std::uint32_t> taken = {0x345678, 0x345679, 0xFFFFFF};
  auto isTaken = [&](std::uint32_t id) { return taken.count(id) > 0; };
  EXPECT_EQ(NewMacroId(0x12345677, isTaken), 0x345677u);
  EXPECT_EQ(NewMacroId(0x12345678, isTaken), 0x34567Au);
  EXPECT_EQ(NewMacroId(0x00FFFFFF, isTaken), 1u);  // wraps, and 0 means no macro
  EXPECT_EQ(NewMacroId(0x01000000, isTaken), 1u);
  EXPECT_EQ(NewMacroId(5, [](std::uint32_t) { return true; }), 0u);
}

}  // namespace
}  // namespace q730x
