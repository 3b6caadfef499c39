// Damaged stored data at random: registry values and profile files cut short,
// lengthened, of another type or filled with random bytes, and macro records
// whose size and event count lie. After each damage the start-up path of the
// utility runs (and a visit to every profile): nothing may crash, every value
// must come out valid, the undamaged ones unchanged, each detectable damage
// must be reported, and registry and files must agree.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/file_io.h"
#include "model/key_caption.h"
#include "model/key_code.h"
#include "model/key_layout_table.h"
#include "model/macro_image.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"
#include "model/profile_data.h"
#include "model/profile_store.h"
#include "store_test_support.h"

namespace q730x {
namespace {

using test::RawValue;

enum class Damage { kShorter, kLonger, kOtherType, kRandomBytes, kMissing, kLyingSize, kLyingCount };
const char* const kDamageNames[] = {"shorter", "longer", "other type", "random bytes", "missing",
                                    "lying size", "lying count"};

// One stored thing that can be damaged: a registry value (a macro record is
// the default value of its subkey) or a profile file.
struct Target {
  std::wstring key;   // registry key path, or empty for a file
  std::wstring name;  // value name, or the file path
  std::wstring reportedAs;  // what a report about it names
  int profile = -1;         // the profile it belongs to, or -1
  bool macro = false;
};

std::vector<Target> Targets() {
  std::vector<Target> targets;
  for (int n = 0; n < kProfileCount; ++n) {
    for (const wchar_t* name : {L"Matrix", L"AuxInfo", L"MacroUseCount", L"ConfigInfo"})
      targets.push_back({ProfileKeyPath(n), name, name, n});
    targets.push_back({L"", ProfileFilePath(n), ProfileFilePath(n), n});
  }
  for (const wchar_t* name : {L"MacroUse", L"ProCfg", L"nCurFile"}) targets.push_back({kStoreRootPath, name, name});
  for (std::uint32_t id : {0x101u, 0x102u})
    targets.push_back({kMacroRootPath + MacroSubkeyName(id), L"", MacroSubkeyName(id), -1, true});
  return targets;
}

std::vector<Damage> DamagesFor(const Target& t) {
  if (t.key.empty()) return {Damage::kShorter, Damage::kLonger, Damage::kRandomBytes, Damage::kMissing};
  if (t.macro)
    return {Damage::kShorter, Damage::kLonger, Damage::kOtherType, Damage::kLyingSize, Damage::kLyingCount};
  return {Damage::kShorter, Damage::kLonger, Damage::kOtherType, Damage::kRandomBytes, Damage::kMissing};
}

// A store worth keeping: macros on keys of two profiles, a sound on a key, a
// program link, the second profile current, and every file written.
void MakeGoodStore() {
  CreateMissingProfiles();
  for (std::uint32_t id : {0x101u, 0x102u}) {
    std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_PAUSE, 300),
                                        MakeStep(STEP_RELEASE, 0x41)};
    MacroBuildInput in;
    in.id = id;
    in.name = u"Kept";
    ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), *BuildMacroRecord(steps, in)));
  }
  for (int n : {0, 1}) {
    LoadProfile(n);
    for (int position : {17, 30}) {
      const std::uint32_t id = position == 17 ? 0x101 : 0x102;
      buffers::KeyMatrix[position] = MakeMacroCode();
      buffers::AuxInfo[position].Clear();
      buffers::AuxInfo[position].SetMacroId(id);
      buffers::MacroUse[std::size_t(n) * kMatrixPositions + position] = id;
    }
    buffers::KeyMatrix[5] = MakeActionCode(1, 5);
    buffers::AuxInfo[5].SetText(u"C:\\sounds\\ding.wav");
    buffers::ConfigInfo.reportRate = 500;
    SaveProfile(n);
  }
  buffers::ProCfg[2].enabled = 1;
  buffers::ProCfg[2].program[0] = u'n';
  SaveProgramLinks();
  buffers::nCurFile = 1;
  SaveCurrentIndex();
  ExportProfileFiles(-1);
}

struct Snapshot {
  std::vector<RawValue> values;
  std::vector<std::vector<std::uint8_t>> files;
};

Snapshot Take(const std::vector<Target>& targets) {
  Snapshot s;
  for (const Target& t : targets) {
    if (t.key.empty()) {
      s.values.push_back({});
      s.files.push_back(test::ReadFileBytes(t.name));
    } else {
      s.values.push_back(test::ReadRaw(t.key, t.name.c_str()));
      s.files.push_back({});
    }
  }
  return s;
}

void Restore(const std::vector<Target>& targets, const Snapshot& s) {
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const Target& t = targets[i];
    if (t.key.empty()) test::WriteFileBytes(t.name, s.files[i]);
    else test::WriteRaw(t.key, t.name.c_str(), s.values[i].type, s.values[i].bytes);
  }
}

std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = std::uint8_t(random());
  return bytes;
}

void Apply(const Target& t, Damage damage, const std::vector<std::uint8_t>& good, std::mt19937& random) {
  std::vector<std::uint8_t> bytes = good;
  DWORD type = REG_BINARY;
  switch (damage) {
    case Damage::kShorter: bytes.resize(random() % std::max<std::size_t>(good.size(), 1)); break;
    case Damage::kLonger: {
      const auto more = RandomBytes(random, 1 + random() % 64);
      bytes.insert(bytes.end(), more.begin(), more.end());
      break;
    }
    case Damage::kOtherType: type = random() % 2 ? REG_SZ : REG_DWORD; break;
    case Damage::kRandomBytes: bytes = RandomBytes(random, good.size()); break;
    case Damage::kMissing:
      if (t.key.empty()) DeleteFileW(t.name.c_str());
      else test::DeleteRaw(t.key, t.name.c_str());
      return;
    case Damage::kLyingSize:
    case Damage::kLyingCount: {
      const std::uint32_t lie = random() | 0x100;  // never the truth of a short record
      std::memcpy(bytes.data() + (damage == Damage::kLyingSize ? 0 : 60), &lie, 4);
      break;
    }
  }
  if (t.key.empty()) test::WriteFileBytes(t.name, bytes);
  else test::WriteRaw(t.key, t.name.c_str(), type, bytes);
}

// Whether the start-up must say something about this damage. Damage to a
// profile's registry values is mended silently by its complete file, random
// bytes of the right size cannot be told from settings (except an index out
// of range), and a value that was never there is no news.
bool MustBeReported(const Target& t, Damage damage, bool fileOfProfileDamaged) {
  if (damage == Damage::kMissing) return false;
  if (t.key.empty()) return damage == Damage::kShorter || damage == Damage::kLonger;
  if (damage == Damage::kRandomBytes) return false;
  return t.profile < 0 || fileOfProfileDamaged;
}

// What the utility does with its store at start, then a visit to every profile
// as the keyboard page makes it: captions, macro names and macro images.
void StartAndVisitEveryProfile() {
  CreateMissingProfiles();
  SyncProfileFiles();
  LoadProgramLinks();
  LoadCurrentIndex();
  std::vector<MacroListEntry> list;
  ListMacros(DefaultMacroRoot(), list);
  for (int n = 0; n < kProfileCount; ++n) {
    LoadProfile(n);
    for (const KeyLayoutEntry& key : KeyLayoutTable) {
      KeyCaption(key.position);
      if (buffers::KeyMatrix[key.position].type != KT_MACRO) continue;
      if (const auto record = LoadMacro(buffers::AuxInfo[key.position].MacroId())) {
        MacroImage image{};
        EncodeMacroImage(*record, image);
      }
    }
  }
}

bool ValidAfterStart(const Target& t, const RawValue& value) {
  if (t.macro || t.key.empty()) return true;  // a bad record stays, ignored; files checked apart
  if (!value.exists) return t.name == L"ProCfg" || t.name == L"nCurFile";  // not needed yet
  const std::size_t size = t.name == L"Matrix"          ? kMatrixBytes
                           : t.name == L"AuxInfo"       ? kAuxInfoBytes
                           : t.name == L"ConfigInfo"    ? kConfigInfoBytes
                           : t.name == L"ProCfg"        ? kProCfgBytes
                           : t.name == L"nCurFile"      ? 4
                                                        : kMacroUseBytes;
  // ProCfg and nCurFile are ignored when damaged and mended by the next save.
  if (t.name == L"ProCfg" || t.name == L"nCurFile") return true;
  return value.type == REG_BINARY && value.bytes.size() == size;
}

using DamagedStoreTest = test::StoreTest;

TEST_F(DamagedStoreTest, RandomDamageIsRepairedOrIgnoredReportedAndLosesNothingElse) {
  const std::vector<Target> targets = Targets();
  MakeGoodStore();
  const Snapshot good = Take(targets);
  std::mt19937 random(20261210);
  constexpr int kRounds = 300;
  int tried = 0, survived = 0, lost = 0, unreported = 0;
  for (int round = 0; round < kRounds; ++round) {
    Restore(targets, good);
    // One to three things damaged at once.
    std::vector<std::pair<std::size_t, Damage>> damaged;
    for (int k = 0, count = 1 + int(random() % 3); k < count; ++k) {
      const std::size_t i = random() % targets.size();
      const auto kinds = DamagesFor(targets[i]);
      const Damage damage = kinds[random() % kinds.size()];
      bool again = false;
      for (const auto& d : damaged) again |= d.first == i;
      if (again) continue;
      Apply(targets[i], damage, targets[i].key.empty() ? good.files[i] : good.values[i].bytes, random);
      damaged.push_back({i, damage});
    }
    std::wstring what;
    for (const auto& [i, damage] : damaged)
      what += targets[i].reportedAs + L" " + targets[i].name + L" (" +
              std::wstring(kDamageNames[int(damage)], kDamageNames[int(damage)] + strlen(kDamageNames[int(damage)])) +
              L"); ";
    SCOPED_TRACE(std::string(what.begin(), what.end()));
    ++tried;

    std::vector<std::wstring> reports;
    SetReportListener([&reports](const std::wstring& text) { reports.push_back(text); });
    buffers::ClearAll();
    StartAndVisitEveryProfile();
    SetReportListener({});
    ++survived;

    const Snapshot after = Take(targets);
    bool roundLost = false;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      const Target& t = targets[i];
      const Damage* damage = nullptr;
      for (const auto& d : damaged)
        if (d.first == i) damage = &d.second;
      if (!t.key.empty()) {
        EXPECT_TRUE(ValidAfterStart(t, after.values[i])) << "not repaired: " << i;
      }
      // A profile's values and file may change when any of them was damaged
      // (the file wins, or is written again); anything else must stay as it was.
      bool touched = damage != nullptr, fileDamaged = false;
      for (const auto& d : damaged) {
        const Target& other = targets[d.first];
        touched |= t.profile >= 0 && other.profile == t.profile;
        fileDamaged |= t.profile >= 0 && other.profile == t.profile && other.key.empty();
      }
      if (!touched) {
        const bool same = t.key.empty() ? after.files[i] == good.files[i]
                                        : after.values[i].bytes == good.values[i].bytes;
        EXPECT_TRUE(same) << "changed without being damaged: " << i;
        roundLost |= !same;
      }
      if (damage && MustBeReported(t, *damage, fileDamaged)) {
        bool named = false;
        for (const std::wstring& r : reports) named |= r.find(t.reportedAs) != std::wstring::npos;
        EXPECT_TRUE(named) << "not reported: " << i;
        unreported += !named;
      }
    }
    // Registry and file of each profile agree on what the page uses.
    for (int n = 0; n < kProfileCount; ++n) {
      const auto file = test::ReadFileBytes(ProfileFilePath(n));
      ASSERT_GE(file.size(), kProfileFileBytes);
      const auto matrix = test::ReadRaw(ProfileKeyPath(n), L"Matrix").bytes;
      const auto aux = test::ReadRaw(ProfileKeyPath(n), L"AuxInfo").bytes;
      const auto config = test::ReadRaw(ProfileKeyPath(n), L"ConfigInfo").bytes;
      EXPECT_TRUE(std::equal(matrix.begin(), matrix.end(), file.begin() + kFileMatrixOffset)) << "profile " << n;
      EXPECT_TRUE(std::equal(aux.begin(), aux.end(), file.begin() + kFileAuxInfoOffset)) << "profile " << n;
      EXPECT_TRUE(std::equal(config.begin(), config.end(), file.begin() + kFileConfigInfoOffset)) << "profile " << n;
    }
    lost += roundLost;
  }
  std::printf("damaged stores: %d tried, %d survived, %d lost other data, %d damages unreported\n", tried,
              survived, lost, unreported);
}

}  // namespace
}  // namespace q730x
