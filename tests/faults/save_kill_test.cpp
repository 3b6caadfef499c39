// A save killed at any moment: q730xctl's set saves a profile exactly as the
// utility does after a download (registry, then the profile file). Killed
// at 50 points spread over its run, the profile file is always whole, the
// old one or the new one, and after the next start (the store's start-up
// synchronisation) the registry and the file agree.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>

#include "model/profile_data.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "store_test_support.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

// Starts q730xctl; kills it after killAfterMs unless it ends first. Answers
// whether it was killed.
bool RunToolKilledAfter(const std::wstring& arguments, DWORD killAfterMs, DWORD* tookMs = nullptr) {
  const std::wstring exe = test::DistFolder() + L"q730xctl.exe";
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Detached: no console, so no console host that a kill would leave behind
  // holding the test's own output open.
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                      nullptr, &startup, &info))
    return false;
  const ULONGLONG start = GetTickCount64();
  const bool killed = WaitForSingleObject(info.hProcess, killAfterMs) == WAIT_TIMEOUT;
  if (killed) TerminateProcess(info.hProcess, 9);
  WaitForSingleObject(info.hProcess, INFINITE);
  if (tookMs) *tookMs = DWORD(GetTickCount64() - start);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return killed;
}

void RunTool(const std::wstring& arguments) { ASSERT_FALSE(RunToolKilledAfter(arguments, 60000)); }

// Whether profile 1's registry values hold what its file holds.
bool RegistryAgreesWithFile(const std::vector<std::uint8_t>& file) {
  if (file.size() != kProfileFileBytes) return false;
  const auto section = [&](std::size_t offset, std::size_t size) {
    return std::vector<std::uint8_t>(file.begin() + offset, file.begin() + offset + size);
  };
  const std::wstring key = ProfileKeyPath(0);
  return test::ReadRaw(key, L"Matrix").bytes == section(kFileMatrixOffset, kMatrixBytes) &&
         test::ReadRaw(key, L"AuxInfo").bytes == section(kFileAuxInfoOffset, kAuxInfoBytes) &&
         test::ReadRaw(key, L"ConfigInfo").bytes == section(kFileConfigInfoOffset, kConfigInfoBytes);
}

TEST(SaveKillTest, AKilledSaveLeavesTheOldOrTheNewProfileAndTheNextStartAgrees) {
  SetProgramFolder(test::DistFolder());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  for (int n = 0; n < kProfileCount; ++n) DeleteFileW(ProfileFilePath(n).c_str());
  RunTool(L"init");
  // The two versions of profile 1 that the saves switch between: Caps Lock
  // as Ctrl+C, or as Ctrl+V.
  const std::wstring saveA = L"set 1 17 00060100", saveB = L"set 1 17 00190100";
  DWORD took = 0;
  RunToolKilledAfter(saveB, 60000, &took);
  const auto imageB = test::ReadFileBytes(ProfileFilePath(0));
  RunTool(saveA);
  const auto imageA = test::ReadFileBytes(ProfileFilePath(0));
  ASSERT_EQ(imageA.size(), kProfileFileBytes);
  ASSERT_NE(imageA, imageB);

  // Kill points spread over the whole run of a save, the same every time.
  std::mt19937 random(730);
  std::uniform_int_distribution<DWORD> killAt(0, took + took / 4);
  int tried = 0, old = 0, fresh = 0, torn = 0, disagreeing = 0, killedMidway = 0;
  bool holdsA = true;
  for (int i = 0; i < 50; ++i) {
    killedMidway += RunToolKilledAfter(holdsA ? saveB : saveA, killAt(random));
    ++tried;
    const auto file = test::ReadFileBytes(ProfileFilePath(0));
    const bool isA = file == imageA, isB = file == imageB;
    old += (holdsA ? isA : isB);
    fresh += (holdsA ? isB : isA);
    torn += !isA && !isB;
    EXPECT_TRUE(isA || isB) << "save " << i << ": the profile file is neither the old nor the new one";
    RunTool(L"init");  // the next start
    const auto synced = test::ReadFileBytes(ProfileFilePath(0));
    EXPECT_EQ(synced, file) << "save " << i << ": the start-up changed the file";
    const bool agrees = RegistryAgreesWithFile(synced);
    disagreeing += !agrees;
    EXPECT_TRUE(agrees) << "save " << i << ": registry and file disagree after the next start";
    holdsA = synced == imageA;
  }
  std::printf("%d saves killed (%d of them before they ended): %d left the old profile, %d the new one, "
              "%d a torn file, %d a registry that disagreed after the next start\n",
              tried, killedMidway, old, fresh, torn, disagreeing);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
}

}  // namespace
}  // namespace q730x
