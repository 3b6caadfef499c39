// ScreenClip.exe takes exactly the three command lines the utility runs, and
// names its files so that no capture overwrites another.
#include <windows.h>

#include <gtest/gtest.h>

#include "capture_command_line.h"
#include "capture_file_name.h"
#include "capture_folder.h"
#include "model/admin_overrides.h"
#include "override_switches.h"

namespace q730x::screenclip {
namespace {

using Words = std::vector<std::wstring>;

TEST(CaptureArguments, TheThreeCommandLinesGiveTheirTargets) {
  EXPECT_EQ(ParseCaptureArguments(Words{L"-t", L"desktop", L"-p"}), CaptureTarget::Desktop);
  EXPECT_EQ(ParseCaptureArguments(Words{L"-t", L"window", L"-p"}), CaptureTarget::Window);
  EXPECT_EQ(ParseCaptureArguments(Words{L"-t", L"region", L"-p"}), CaptureTarget::Region);
}

TEST(CaptureArguments, EverythingElseIsRefused) {
  const Words refused[] = {
      {},
      {L"-t"},
      {L"-t", L"desktop"},
      {L"desktop", L"-p"},
      {L"-t", L"desktop", L"-p", L"-p"},
      {L"-t", L"desktop", L"-p", L"extra"},
      {L"-p", L"-t", L"desktop"},
      {L"-t", L"Desktop", L"-p"},
      {L"-T", L"window", L"-p"},
      {L"-t", L"region", L"-P"},
      {L"-t", L"screen", L"-p"},
      {L"-t", L"", L"-p"},
      {L"/t", L"desktop", L"/p"},
      {L"-t", L"desktop ", L"-p"},
      {L"--out", L"C:\\x", L"-t", L"desktop", L"-p"},
  };
  for (const Words& words : refused) {
    std::wstring line;
    for (const std::wstring& word : words) line += L"[" + word + L"]";
    EXPECT_FALSE(ParseCaptureArguments(words).has_value()) << std::string(line.begin(), line.end());
  }
}

TEST(CaptureFileNames, TheTimeInTheNameWithACounterOnAClash) {
  const CaptureTime time{2026, 12, 9, 17, 55, 3};
  EXPECT_EQ(CaptureFileName(time, 1), L"Capture 2026-12-09 17-55-03.png");
  EXPECT_EQ(CaptureFileName(time, 2), L"Capture 2026-12-09 17-55-03 (2).png");
  EXPECT_EQ(CaptureFileName(time, 1000), L"Capture 2026-12-09 17-55-03 (1000).png");
  EXPECT_EQ(CaptureFileName(CaptureTime{2027, 1, 31, 0, 0, 59}, 1),
            L"Capture 2027-01-31 00-00-59.png");
}

std::wstring TestFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring full(path, n);
  return full.substr(0, full.find_last_of(L'\\') + 1);
}

std::string ReadAll(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(missing)";
  char buffer[64];
  DWORD n = 0;
  ReadFile(file, buffer, sizeof(buffer), &n, nullptr);
  CloseHandle(file);
  return std::string(buffer, n);
}

// A folder of its own, below one that does not exist yet, named by the
// folder switch for each case.
class CaptureFolderFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = TestFolder() + L"screenclip-files-" + std::to_wstring(GetCurrentProcessId());
    folder_ = parent_ + L"\\new folder";
    test::SetOverride(kCaptureFolderOverride, folder_.c_str());
  }
  void TearDown() override {
    test::SetOverride(kCaptureFolderOverride, nullptr);
    for (const wchar_t* name : {L"Capture 2026-12-09 17-55-03.png", L"Capture 2026-12-09 17-55-03 (2).png",
                                L"Capture 2026-12-09 17-55-03 (3).png"})
      DeleteFileW((folder_ + L"\\" + name).c_str());
    RemoveDirectoryW(folder_.c_str());
    RemoveDirectoryW(parent_.c_str());
  }
  std::wstring parent_, folder_;
};

TEST_F(CaptureFolderFiles, TheFolderIsMadeWhenMissing) {
  EXPECT_EQ(CaptureFolder(), folder_ + L"\\");
  EXPECT_NE(GetFileAttributesW(folder_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(CaptureFolderFiles, AClashCountsUpAndLeavesTheEarlierFileAlone) {
  const std::wstring folder = *CaptureFolder();
  const CaptureTime time{2026, 12, 9, 17, 55, 3};
  const std::wstring first = folder + L"Capture 2026-12-09 17-55-03.png";
  HANDLE earlier = CreateFileW(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(earlier, "earlier", 7, &written, nullptr);
  CloseHandle(earlier);

  EXPECT_EQ(ClaimCaptureFile(folder, time), folder + L"Capture 2026-12-09 17-55-03 (2).png");
  EXPECT_EQ(ClaimCaptureFile(folder, time), folder + L"Capture 2026-12-09 17-55-03 (3).png");
  EXPECT_EQ(ReadAll(first), "earlier");
}

TEST_F(CaptureFolderFiles, AFolderBelowAFileCannotBeMade) {
  CreateDirectoryW(parent_.c_str(), nullptr);
  HANDLE blocker = CreateFileW(folder_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(blocker);
  test::SetOverride(kCaptureFolderOverride, (folder_ + L"\\below").c_str());
  EXPECT_EQ(CaptureFolder(), std::nullopt);
  DeleteFileW(folder_.c_str());
}

}  // namespace
}  // namespace q730x::screenclip
