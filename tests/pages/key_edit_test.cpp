// What a key's new function does to the profile buffers (macro ids, the
// 30-macro limit, a deleted macro falling back at the next refresh), and the
// program link rules (which names clash, which profile the foreground
// program selects).
#include "pages/key_edit.h"

#include <gtest/gtest.h>

#include "model/macro_store.h"
#include "model/profile_buffers.h"
#include "pages/program_links.h"
#include "store_test_support.h"

namespace q730x {
namespace {

void StoreMacro(std::uint32_t id) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
  MacroBuildInput in;
  in.id = id;
  in.name = std::u16string(1, u'M');
  MacroRecord record = *BuildMacroRecord(steps, in);
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), record));
}

KeyAssignment Choice(int position, KeyCode code, std::uint32_t macroId = 0) {
  KeyAssignment a;
  a.position = position;
  a.code = code;
  a.aux[0] = char16_t(macroId & 0xFFFF);
  a.aux[1] = char16_t(macroId >> 16);
  return a;
}

KeyAssignment PathChoice(int position, KeyCode code, const std::u16string& path) {
  KeyAssignment a = Choice(position, code);
  std::copy(path.begin(), path.end(), a.aux);
  return a;
}

std::uint32_t Use(int profile, int position) { return buffers::MacroUse[profile * 160 + position]; }

class KeyEditTest : public test::StoreTest {
 protected:
  void SetUp() override {
    test::StoreTest::SetUp();
    buffers::KeyMatrix = DefaultMatrix;
  }
};

TEST_F(KeyEditTest, ACombinationTakesTheKeyAndClearsItsText) {
  buffers::AuxInfo[17].SetText(u"C:\\old.exe");
  EXPECT_EQ(ApplyKeyAssignment(Choice(17, KeyCode::FromValue(0x00060100)), 2), KeyEditResult::Changed);
  EXPECT_EQ(buffers::KeyMatrix[17].Value(), 0x00060100u);
  EXPECT_EQ(buffers::AuxInfo[17].Text(), u"");
}

TEST_F(KeyEditTest, AnActionKeepsItsPath) {
  const KeyCode run = KeyCode::FromValue(0xC7110003);
  EXPECT_EQ(ApplyKeyAssignment(PathChoice(17, run, u"C:\\Program Files\\a b.exe"), 0), KeyEditResult::Changed);
  EXPECT_EQ(buffers::AuxInfo[17].Text(), u"C:\\Program Files\\a b.exe");
  EXPECT_EQ(buffers::KeyMatrix[17].Value(), 0xC7110003u);
}

TEST_F(KeyEditTest, AMacroRecordsItsIdForTheKeyAndTheProfile) {
  StoreMacro(0x1234);
  EXPECT_EQ(ApplyKeyAssignment(Choice(30, MakeMacroCode(), 0x1234), 3), KeyEditResult::Changed);
  EXPECT_EQ(buffers::KeyMatrix[30].Value(), 0x00000008u);
  EXPECT_EQ(buffers::AuxInfo[30].MacroId(), 0x1234u);
  EXPECT_EQ(Use(3, 30), 0x1234u);
  EXPECT_EQ(Use(0, 30), 0u);
}

TEST_F(KeyEditTest, AMacroThatIsNoLongerStoredChangesNothing) {
  EXPECT_EQ(ApplyKeyAssignment(Choice(30, MakeMacroCode(), 0x999), 0), KeyEditResult::Unchanged);
  EXPECT_EQ(buffers::KeyMatrix[30], DefaultMatrix[30]);
  EXPECT_EQ(Use(0, 30), 0u);
}

TEST_F(KeyEditTest, TheThirtyFirstMacroIsRefusedAndTheKeyKeepsItsFunction) {
  for (std::uint32_t id = 1; id <= 31; ++id) StoreMacro(id);
  for (int key = 0; key < 30; ++key)
    ASSERT_EQ(ApplyKeyAssignment(Choice(key, MakeMacroCode(), std::uint32_t(key + 1)), 0),
              KeyEditResult::Changed);
  EXPECT_EQ(ApplyKeyAssignment(Choice(40, MakeMacroCode(), 31), 0), KeyEditResult::MacroLimit);
  EXPECT_EQ(buffers::KeyMatrix[40], DefaultMatrix[40]);
  EXPECT_EQ(Use(0, 40), 0u);
  // A macro already in use goes on another key; a key may swap its own macro.
  EXPECT_EQ(ApplyKeyAssignment(Choice(40, MakeMacroCode(), 5), 0), KeyEditResult::Changed);
  EXPECT_EQ(ApplyKeyAssignment(Choice(0, MakeMacroCode(), 31), 0), KeyEditResult::Changed);
  EXPECT_EQ(Use(0, 0), 31u);
  // Another profile counts its own macros.
  EXPECT_EQ(ApplyKeyAssignment(Choice(40, MakeMacroCode(), 31), 1), KeyEditResult::Changed);
}

TEST_F(KeyEditTest, ADeletedMacroFallsBackToTheDefaultAndIsForgotten) {
  StoreMacro(0x77);
  ASSERT_EQ(ApplyKeyAssignment(Choice(30, MakeMacroCode(), 0x77), 1), KeyEditResult::Changed);
  EXPECT_FALSE(DropMissingMacro(30, 1));
  ASSERT_TRUE(DeleteMacro(DefaultMacroRoot(), 0x77));
  EXPECT_TRUE(DropMissingMacro(30, 1));
  EXPECT_EQ(buffers::KeyMatrix[30], DefaultMatrix[30]);
  EXPECT_EQ(Use(1, 30), 0u);
  EXPECT_FALSE(DropMissingMacro(17, 1)) << "keys without a macro stay";
}

void Link(int profile, const std::u16string& program, bool enabled = true) {
  ProgramLink& link = buffers::ProCfg[profile];
  link = ProgramLink{};
  link.enabled = enabled ? 1 : 0;
  std::copy(program.begin(), program.end(), link.program);
}

class ProgramLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { buffers::ClearAll(); }
};

TEST_F(ProgramLinkTest, OnlyAnotherProfilesLinkOfTheWholeNameClashesWhateverTheCase) {
  Link(1, u"game.exe");
  EXPECT_TRUE(LinkedAlready(L"game.exe", 3));
  EXPECT_TRUE(LinkedAlready(L"GAME.EXE", 3));
  EXPECT_FALSE(LinkedAlready(L"me.exe", 3)) << "game.exe only contains it";
  EXPECT_FALSE(LinkedAlready(L"game.ex", 3));
  EXPECT_FALSE(LinkedAlready(L"game.exe", 1)) << "the profile's own link chosen again";
  EXPECT_FALSE(LinkedAlready(L"tool.exe", 3));
  EXPECT_FALSE(LinkedAlready(L"", 3));
  Link(1, u"game.exe", false);
  EXPECT_TRUE(LinkedAlready(L"game.exe", 3)) << "a switched-off link keeps its name";
}

TEST_F(ProgramLinkTest, TheForegroundProgramSelectsTheFirstOtherEnabledLinkWithTheSameCase) {
  Link(1, u"notepad.exe");
  Link(3, u"notepad.exe");
  EXPECT_EQ(ProfileLinkedTo(L"notepad.exe", 0), std::optional<int>(1));
  EXPECT_EQ(ProfileLinkedTo(L"notepad.exe", 1), std::optional<int>(3));
  EXPECT_EQ(ProfileLinkedTo(L"NOTEPAD.EXE", 0), std::nullopt);
  Link(1, u"notepad.exe", false);
  Link(3, u"");
  EXPECT_EQ(ProfileLinkedTo(L"notepad.exe", 0), std::nullopt);
  EXPECT_FALSE(AnyLinkEnabled() && ProfileLinkedTo(L"", 0));
}

TEST(FileNamePart, TakesWhatFollowsTheLastBackslash) {
  EXPECT_EQ(FileNamePart(L"C:\\Games\\Big Game\\game.exe"), L"game.exe");
  EXPECT_EQ(FileNamePart(L"game.exe"), L"game.exe");
  EXPECT_EQ(FileNamePart(L"C:\\Games\\"), L"");
}

}  // namespace
}  // namespace q730x
