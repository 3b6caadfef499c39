// The macro manager's rules apart from its window: step texts and names,
// steps of stored records, the repeat field, inserted pauses and the
// releases a recording owes.
#include "pages/macro_steps.h"

#include <gtest/gtest.h>

#include "pages/step_key_names.h"

namespace q730x {
namespace {

TEST(StepKeyNamesTest, NamesComeFromTheManagersOwnTable) {
  EXPECT_EQ(StepKeyName(0x41), L"A");
  EXPECT_EQ(StepKeyName(0x14), L"Cap");
  EXPECT_EQ(StepKeyName(0xA0), L"L_Shift");
  EXPECT_EQ(StepKeyName(0x6C), L"NUM Enter");
  EXPECT_EQ(StepKeyName(0x01), L"Left Button");
  EXPECT_EQ(StepKeyName(0x1006), L"Scroll");
  // Generic modifiers, Print Screen and anything unlisted have no name.
  for (std::uint32_t vk : {0x10u, 0x11u, 0x12u, 0x2Cu, 0xFFu, 0x1007u}) EXPECT_EQ(StepKeyName(vk), L"") << vk;
}

TEST(MacroStepsTest, StepTextsShowKeyNamesAndPausesWithTwoSpaces) {
  EXPECT_EQ(StepText(MakeStep(STEP_PRESS, 'Q')), L"Q");
  EXPECT_EQ(StepText(MakeStep(STEP_RELEASE, 0x0D)), L"Enter");
  EXPECT_EQ(StepText(MakeStep(STEP_PAUSE, 1234)), L"1234  ms");
}

TEST(MacroStepsTest, ARecordShowsItsStepsUpToTheFirstWordThatIsNoStep) {
  MacroRecord r;
  r.SetFormat(kMacroFormat);
  r.SetRepeatCount(5);
  r.AppendEvent(MacroEvent::Make(MacroEvent::kPress, 'A'));
  r.AppendEvent(MacroEvent::Make(MacroEvent::kPause, 300));
  r.AppendEvent(MacroEvent::Make(MacroEvent::kRelease, 'A'));
  r.AppendEvent({0x12000041});
  r.AppendEvent(MacroEvent::Make(MacroEvent::kPress, 'B'));
  const RecordSteps steps = StepsOfRecord(r);
  EXPECT_TRUE(steps.stoppedEarly);
  EXPECT_EQ(steps.steps, (std::vector<std::uint32_t>{0x03000041, 0x0400012C, 0x02000041}));
  EXPECT_EQ(RepeatFieldTextOf(r), L"5");

  MacroRecord one;
  one.SetRepeatCount(9);
  one.AppendEvent(MacroEvent::Make(MacroEvent::kPress, 'A'));
  EXPECT_EQ(RepeatFieldTextOf(one), L"1") << "a single event shows 1";
}

TEST(MacroStepsTest, TheRepeatFieldIsCorrectedOnlyWhenEmptyZeroOrTooLarge) {
  EXPECT_EQ(CorrectedRepeatField(L""), L"1");
  EXPECT_EQ(CorrectedRepeatField(L"0"), L"1");
  EXPECT_EQ(CorrectedRepeatField(L"000"), L"1");
  EXPECT_EQ(CorrectedRepeatField(L"65535"), L"65534");
  EXPECT_EQ(CorrectedRepeatField(L"99999"), L"65534");
  EXPECT_EQ(CorrectedRepeatField(L"65534"), std::nullopt);
  EXPECT_EQ(CorrectedRepeatField(L"7"), std::nullopt);
  EXPECT_EQ(CorrectedRepeatField(L"010"), std::nullopt);  // octal 8
  EXPECT_EQ(CorrectedRepeatField(L"08"), L"1") << "octal 0, then a digit that is not octal";
  EXPECT_EQ(CorrectedRepeatField(L"x"), std::nullopt) << "not a number: left as it is";
  // What is then stored follows the store's decimal rule.
  EXPECT_EQ(RepeatCountFromField(u"010"), 10u);
  EXPECT_EQ(RepeatCountFromField(u"65534"), 0xFFFDu);
}

TEST(MacroStepsTest, ValueFieldsReadTheirLeadingDigits) {
  EXPECT_EQ(ReadDecimal(L"250"), 250u);
  EXPECT_EQ(ReadDecimal(L" 12ab"), 12u);
  EXPECT_EQ(ReadDecimal(L"99999999999"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadDecimal(L""), std::nullopt);
  EXPECT_EQ(ReadDecimal(L"ms"), std::nullopt);
}

TEST(MacroStepsTest, AnInsertedPauseJoinsAPauseNextToItOrBecomesANewStep) {
  const std::uint32_t a = MakeStep(STEP_PRESS, 'A'), b = MakeStep(STEP_RELEASE, 'A');
  const std::uint32_t p100 = MakeStep(STEP_PAUSE, 100);
  using K = PauseInsertion;
  auto plan = PlanPauseInsertion({a, p100, b}, 2, 50);  // the pause above the selection
  EXPECT_EQ(plan.kind, K::AddToEntry);
  EXPECT_EQ(plan.index, 1);
  EXPECT_EQ(plan.resultMs, 150u);
  plan = PlanPauseInsertion({a, p100, b}, 1, 50);  // the selected pause
  EXPECT_EQ(plan.kind, K::AddToEntry);
  EXPECT_EQ(plan.index, 1);
  plan = PlanPauseInsertion({a, b}, 1, 50);
  EXPECT_EQ(plan.kind, K::NewEntry);
  EXPECT_EQ(plan.index, 1);
  plan = PlanPauseInsertion({a, b}, -1, 50);
  EXPECT_EQ(plan.kind, K::NewEntry);
  EXPECT_EQ(plan.index, -1) << "at the end";
  plan = PlanPauseInsertion({a, MakeStep(STEP_PAUSE, 327000), b}, 2, 5000);
  EXPECT_EQ(plan.resultMs, kMaxMergedPauseMs);
  EXPECT_TRUE(PauseWouldLead({a, b}, 0));
  EXPECT_TRUE(PauseWouldLead({}, -1));
  EXPECT_FALSE(PauseWouldLead({a, b}, 1));
  EXPECT_FALSE(PauseWouldLead({a, b}, -1));
}

TEST(MacroStepsTest, KeysLeftDownGetReleasesLastPressedFirst) {
  const auto press = [](std::uint32_t vk) { return MakeStep(STEP_PRESS, vk); };
  const auto release = [](std::uint32_t vk) { return MakeStep(STEP_RELEASE, vk); };
  EXPECT_TRUE(ClosingReleases({press('A'), release('A')}).empty());
  EXPECT_EQ(ClosingReleases({press(0xA0), press('A'), MakeStep(STEP_PAUSE, 10), release('B'), press('C'),
                             release('C')}),
            (std::vector<std::uint32_t>{release('A'), release(0xA0)}));
  // A press changed on its own keeps this release with it.
  const std::vector<std::uint32_t> steps = {press('A'), press('B'), MakeStep(STEP_PAUSE, 10), release('B'),
                                            release('A'), press('A')};
  EXPECT_EQ(MatchingRelease(steps, 0), std::optional<std::size_t>(4));
  EXPECT_EQ(MatchingRelease(steps, 1), std::optional<std::size_t>(3));
  EXPECT_EQ(MatchingRelease(steps, 5), std::nullopt) << "never released";
  EXPECT_EQ(MatchingRelease(steps, 3), std::nullopt) << "a release is no press";
  EXPECT_EQ(MatchingRelease({press('A'), press('A'), release('A')}, 0), std::nullopt) << "pressed again first";
}

}  // namespace
}  // namespace q730x
