// What a key event makes the utility run, seen through a recording platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/key_event_actions.h"
#include "model/program_folder.h"

namespace q730x {
namespace {

class RecordingPlatform final : public ActionPlatform {
 public:
  void RunCommandLine(const std::u16string& commandLine) override {
    calls.push_back("run " + Narrow(commandLine));
  }
  void PlaySoundFile(const std::u16string& file) override { calls.push_back("play " + Narrow(file)); }
  void OpenWithShell(const std::u16string& target) override {
    calls.push_back("open " + Narrow(target));
  }
  static std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }
  std::vector<std::string> calls;
};

// An AuxInfo record holding text.
std::vector<char16_t> Record(const std::u16string& text) {
  std::vector<char16_t> record(kAuxTextUnits, u'\0');
  std::copy(text.begin(), text.end(), record.begin());
  return record;
}

std::vector<std::string> Dispatch(std::uint32_t word, const std::u16string& text) {
  RecordingPlatform platform;
  const std::vector<char16_t> record = Record(text);
  RunKeyEvent(word, record.data(), platform);
  return platform.calls;
}

using Calls = std::vector<std::string>;

// Captures start the tool next to the program, named by its quoted full path.
class CaptureActions : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolder(L"C:\\Program Files\\Kavex Q730X\\"); }
  void TearDown() override { ComputeProgramFolder(); }
};

TEST_F(CaptureActions, RunTheToolOfTheProgramFolderWithoutLookingAtAuxInfo) {
  RecordingPlatform platform;
  EXPECT_TRUE(RunKeyEvent(0xC105, nullptr, platform));
  EXPECT_TRUE(RunKeyEvent(0xC205, nullptr, platform));
  EXPECT_TRUE(RunKeyEvent(0xC305, nullptr, platform));
  EXPECT_EQ(platform.calls,
            (Calls{"run \"C:\\Program Files\\Kavex Q730X\\ScreenClip.exe\" -t desktop -p",
                   "run \"C:\\Program Files\\Kavex Q730X\\ScreenClip.exe\" -t window -p",
                   "run \"C:\\Program Files\\Kavex Q730X\\ScreenClip.exe\" -t region -p"}));
}

TEST_F(CaptureActions, OnlyKindsOneToThreeWithAFolderHaveACommandLine) {
  EXPECT_EQ(CaptureCommandLine(1, u"D:\\q\\"), u"\"D:\\q\\ScreenClip.exe\" -t desktop -p");
  EXPECT_EQ(CaptureCommandLine(0, u"D:\\q\\"), u"");
  EXPECT_EQ(CaptureCommandLine(4, u"D:\\q\\"), u"");
  // A bare name would be searched for in the current folder and on PATH.
  EXPECT_EQ(CaptureCommandLine(1, u""), u"");
  SetProgramFolder(L"");
  RecordingPlatform platform;
  EXPECT_FALSE(RunKeyEvent(0xC105, nullptr, platform));
  EXPECT_TRUE(platform.calls.empty());
}

TEST(KeyEventActions, SoundFilesArePlayedAndEmptyRecordsDoNothing) {
  EXPECT_EQ(Dispatch(0xC40A, u"C:\\Sounds\\ding one.wav"), Calls{"play C:\\Sounds\\ding one.wav"});
  EXPECT_EQ(Dispatch(0xC40A, u""), Calls{});
  for (std::uint32_t word : {0xC50Au, 0xC60Au, 0xC70Au, 0xC80Au}) EXPECT_EQ(Dispatch(word, u""), Calls{});
  RecordingPlatform platform;
  EXPECT_FALSE(RunKeyEvent(0xC40A, nullptr, platform));
  EXPECT_TRUE(platform.calls.empty());
}

TEST(KeyEventActions, FilesAndFoldersWithSpacesAreQuotedProgramsAndAddressesAreNot) {
  EXPECT_EQ(Dispatch(0xC50A, u"C:\\My Files\\a.txt"), Calls{"open \"C:\\My Files\\a.txt\""});
  EXPECT_EQ(Dispatch(0xC50A, u"C:\\files\\a.txt"), Calls{"open C:\\files\\a.txt"});
  EXPECT_EQ(Dispatch(0xC60A, u"C:\\My Files"), Calls{"open \"C:\\My Files\""});
  EXPECT_EQ(Dispatch(0xC70A, u"C:\\Program Files\\x.exe"), Calls{"open C:\\Program Files\\x.exe"});
  EXPECT_EQ(Dispatch(0xC80A, u"https://example.com/a b"), Calls{"open https://example.com/a b"});
}

TEST(KeyEventActions, OtherWordsDoNothing) {
  for (std::uint32_t word : {0x4105u, 0x8105u, 0xC005u, 0xC905u, 0xCF05u, 0xC1A0u, 0xC1FFu}) {
    RecordingPlatform platform;
    const std::vector<char16_t> record = Record(u"C:\\a.wav");
    EXPECT_FALSE(RunKeyEvent(word, record.data(), platform)) << std::hex << word;
    EXPECT_TRUE(platform.calls.empty()) << std::hex << word;
  }
  // Key 159 is the last one with a record.
  EXPECT_EQ(Dispatch(0xC49F, u"C:\\a.wav"), Calls{"play C:\\a.wav"});
}

TEST_F(CaptureActions, OnlyTheLowSixteenBitsCarryTheEvent) {
  EXPECT_EQ(Dispatch(0xABCDC105u, u""),
            Calls{"run \"C:\\Program Files\\Kavex Q730X\\ScreenClip.exe\" -t desktop -p"});
}

TEST_F(CaptureActions, TheRecordOfTheKeyInTheWordIsLookedUpOnlyWhenNeeded) {
  std::vector<unsigned> asked;
  const std::vector<char16_t> record = Record(u"C:\\x.wav");
  auto lookup = [&](unsigned key) {
    asked.push_back(key);
    return record.data();
  };
  RecordingPlatform platform;
  EXPECT_TRUE(RunKeyEvent(0xC40A, lookup, platform));
  EXPECT_TRUE(RunKeyEvent(0xC19F, lookup, platform));   // a capture needs no record
  EXPECT_FALSE(RunKeyEvent(0xC4A0, lookup, platform));  // key 160 has no record
  EXPECT_EQ(asked, std::vector<unsigned>{10});
  EXPECT_EQ(platform.calls,
            (Calls{"play C:\\x.wav",
                   "run \"C:\\Program Files\\Kavex Q730X\\ScreenClip.exe\" -t desktop -p"}));
}

TEST(KeyEventActions, ARecordWithoutTerminatorIsReadOnlyToItsEnd) {
  std::vector<char16_t> memory(kAuxTextUnits + 8, u'x');
  const std::u16string_view text = AuxRecordText(memory.data());
  EXPECT_EQ(text.size(), static_cast<std::size_t>(kAuxTextUnits));
  RecordingPlatform platform;
  EXPECT_TRUE(RunKeyEvent(0xC70A, memory.data(), platform));
  ASSERT_EQ(platform.calls.size(), 1u);
  EXPECT_EQ(platform.calls[0].size(), 5u + kAuxTextUnits);
}

}  // namespace
}  // namespace q730x
