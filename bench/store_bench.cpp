// The profile store under Wine: a first start (an empty registry tree and no
// profile folder: create the five profiles and write their files) and
// LoadProfile, each against plain registry calls on the same bytes measured
// in the same run.
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/store_bench.exe
// It rewrites HKLM\Software\KAVEX\Q730X of the build's own Wine prefix.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "bench_clock.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "model/program_folder.h"

namespace {

using namespace q730x;
using bench::Median;
using bench::Milliseconds;

// The four profile values and the root's MacroUse, read with plain queries:
// the least any load of a profile has to do.
void PlainQueries(int n) {
  struct Value {
    bool root;
    const wchar_t* name;
    void* out;
    DWORD size;
  };
  const Value values[] = {
      {false, L"Matrix", buffers::KeyMatrix.bytes(), 640},
      {false, L"AuxInfo", buffers::AuxInfo.data(), 83200},
      {false, L"MacroUseCount", buffers::MacroUse.data(), 3200},
      {false, L"ConfigInfo", &buffers::ConfigInfo, 540},
      {true, L"MacroUse", buffers::MacroUse.data(), 3200},
  };
  HKEY profile = nullptr, root = nullptr;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, ProfileKeyPath(n).c_str(), 0, 0x2001F, &profile);
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStoreRootPath, 0, 0x2001F, &root);
  for (const Value& v : values) {
    DWORD size = v.size;
    RegQueryValueExW(v.root ? root : profile, v.name, nullptr, nullptr, static_cast<BYTE*>(v.out), &size);
  }
  RegCloseKey(profile);
  RegCloseKey(root);
}

// Writing the same values as a first start, with plain calls.
void PlainFirstStartWrites() {
  static const std::vector<BYTE> zeros(83200, 0);
  for (int n = 0; n < kProfileCount; ++n) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, ProfileKeyPath(n).c_str(), 0, nullptr, 0, 0x2001F, nullptr,
                    &key, nullptr);
    RegSetValueExW(key, L"Matrix", 0, REG_BINARY, DefaultMatrix.bytes(), 640);
    RegSetValueExW(key, L"AuxInfo", 0, REG_BINARY, zeros.data(), 83200);
    RegSetValueExW(key, L"ConfigInfo", 0, REG_BINARY, zeros.data(), 540);
    RegSetValueExW(key, L"MacroUseCount", 0, REG_BINARY, zeros.data(), 3200);
    RegCloseKey(key);
  }
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"q730x-store-bench\\";
  std::filesystem::create_directories(folder);
  SetProgramFolder(folder);
  BuildDefaultMatrix();
  constexpr int kRounds = 20;

  std::vector<double> firstStart, plainWrites, load, plainLoad;
  for (int i = 0; i < kRounds; ++i) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
    std::filesystem::remove_all(folder + L"profile");
    firstStart.push_back(Milliseconds([] {
      CreateMissingProfiles();
      SyncProfileFiles();
    }));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
    plainWrites.push_back(Milliseconds(PlainFirstStartWrites));
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  CreateMissingProfiles();
  SyncProfileFiles();
  LoadProfile(0);  // the first load writes the missing MacroUse
  for (int i = 0; i < kRounds * 5; ++i) {
    load.push_back(Milliseconds([i] { LoadProfile(i % kProfileCount); }));
    plainLoad.push_back(Milliseconds([i] { PlainQueries(i % kProfileCount); }));
  }

  const double fs = Median(firstStart), pw = Median(plainWrites);
  const double lp = Median(load), pl = Median(plainLoad);
  std::printf("first start (create 5 profiles + write 5 files): median %7.2f ms\n", fs);
  std::printf("  plain RegSetValueExW of the same 5 profiles:    median %7.2f ms  ratio %.2f\n", pw,
              fs / pw);
  std::printf("LoadProfile:                                      median %7.3f ms\n", lp);
  std::printf("  plain RegQueryValueExW of the same 5 values:    median %7.3f ms  ratio %.2f\n", pl,
              lp / pl);

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  std::filesystem::remove_all(folder);
  return 0;
}
