// The profile store on the real registry and real files: first start,
// the start-up synchronisation in both directions, repair of damaged values,
// saving, exporting and the program-wide values.
#include "model/profile_store.h"

#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "model/file_io.h"
#include "model/profile_buffers.h"
#include "model/program_folder.h"
#include "store_test_support.h"

namespace q730x {
namespace {

using test::DeleteRaw;
using test::FileExists;
using test::ReadFileBytes;
using test::ReadRaw;
using test::WriteFileBytes;
using test::WriteRaw;

std::vector<std::uint8_t> Bytes(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  return {p, p + size};
}

std::vector<std::uint8_t> MatrixBytes(const KeyMatrix& m) { return Bytes(m.bytes(), kMatrixBytes); }

// The factory matrix with Ctrl+C on Caps Lock (position 17).
KeyMatrix EditedMatrix() {
  KeyMatrix m = FactoryMatrix();
  m[17] = MakeKeyCode(0x06, KM_CTRL);
  return m;
}

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

using ProfileStoreTest = test::StoreTest;

void FirstStart() {
  CreateMissingProfiles();
  SyncProfileFiles();
}

TEST_F(ProfileStoreTest, FirstStartCreatesFiveDefaultProfilesAndTheirFiles) {
  FirstStart();
  for (int n = 0; n < kProfileCount; ++n) {
    SCOPED_TRACE(n);
    const std::wstring key = ProfileKeyPath(n);
    const test::RawValue matrix = ReadRaw(key, L"Matrix");
    EXPECT_EQ(matrix.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(matrix.bytes, MatrixBytes(DefaultMatrix));
    EXPECT_EQ(ReadRaw(key, L"AuxInfo").bytes, std::vector<std::uint8_t>(kAuxInfoBytes, 0));
    EXPECT_EQ(ReadRaw(key, L"MacroUseCount").bytes, std::vector<std::uint8_t>(kMacroUseBytes, 0));
    const test::RawValue config = ReadRaw(key, L"ConfigInfo");
    ASSERT_EQ(config.bytes.size(), kConfigInfoBytes);
    EXPECT_EQ(ReadU32(config.bytes, 0), 1000u);

    const std::vector<std::uint8_t> file = ReadFileBytes(ProfileFilePath(n));
    ASSERT_EQ(file.size(), kProfileFileBytes);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + kMatrixBytes),
              MatrixBytes(DefaultMatrix));
    EXPECT_EQ(ReadU32(file, kFileConfigInfoOffset), 1000u);
  }
  EXPECT_EQ(ProfileFilePath(0), folder_ + L"profile\\1.cfg");
  EXPECT_TRUE(FileExists(folder_ + L"profile\\5.cfg"));
  EXPECT_FALSE(FileExists(folder_ + L"profile\\5.cfg.new"));
  EXPECT_FALSE(ReadRaw(kStoreRootPath, L"nCurFile").exists);
  EXPECT_FALSE(ReadRaw(kStoreRootPath, L"ProCfg").exists);
  EXPECT_FALSE(LoadCurrentIndex());
  EXPECT_FALSE(LoadProgramLinks());
  EXPECT_EQ(buffers::nCurFile, 0);

  LoadProfile(buffers::nCurFile);
  EXPECT_EQ(buffers::KeyMatrix, DefaultMatrix);
  EXPECT_EQ(buffers::ConfigInfo.reportRate, 1000u);
  EXPECT_TRUE(ReadRaw(kStoreRootPath, L"MacroUse").exists);  // written by the repair on load
}

TEST_F(ProfileStoreTest, ExistingProfilesAreLeftAsTheyAre) {
  FirstStart();
  WriteRaw(ProfileKeyPath(2), L"Matrix", REG_BINARY, MatrixBytes(EditedMatrix()));
  CreateMissingProfiles();
  EXPECT_EQ(ReadRaw(ProfileKeyPath(2), L"Matrix").bytes, MatrixBytes(EditedMatrix()));
}

TEST_F(ProfileStoreTest, AnExistingFileWinsOverTheRegistryAtTheNextStart) {
  FirstStart();
  std::vector<std::uint8_t> file = ReadFileBytes(ProfileFilePath(2));
  const KeyMatrix edited = EditedMatrix();
  std::memcpy(file.data(), edited.bytes(), kMatrixBytes);
  file[kFileConfigInfoOffset + 4] = 'G';  // profile text "G"
  WriteFileBytes(ProfileFilePath(2), file);
  // The registry changes in between; the file still wins.
  KeyMatrix other = FactoryMatrix();
  other[10] = MakeDisabledCode();
  WriteRaw(ProfileKeyPath(2), L"Matrix", REG_BINARY, MatrixBytes(other));

  FirstStart();
  EXPECT_EQ(ReadRaw(ProfileKeyPath(2), L"Matrix").bytes, MatrixBytes(edited));
  // The file's MacroUseCount section is only 120 bytes; loading repairs it.
  EXPECT_EQ(ReadRaw(ProfileKeyPath(2), L"MacroUseCount").bytes.size(), kFileMacroUseCountBytes);
  LoadProfile(2);
  EXPECT_EQ(buffers::KeyMatrix, edited);
  EXPECT_EQ(buffers::ConfigInfo.Text(), u"G");
  EXPECT_EQ(ReadRaw(ProfileKeyPath(2), L"MacroUseCount").bytes.size(), kMacroUseBytes);
  EXPECT_EQ(ReadRaw(ProfileKeyPath(1), L"Matrix").bytes, MatrixBytes(DefaultMatrix));
}

TEST_F(ProfileStoreTest, AShortFileDoesNotWinAndIsRewrittenFromTheRegistry) {
  FirstStart();
  WriteRaw(ProfileKeyPath(3), L"Matrix", REG_BINARY, MatrixBytes(EditedMatrix()));
  // A file cut short holds partial data, here a different matrix.
  std::vector<std::uint8_t> file = ReadFileBytes(ProfileFilePath(3));
  std::memset(file.data(), 0x0F, kMatrixBytes);
  file.resize(kProfileFileBytes - 1);
  WriteFileBytes(ProfileFilePath(3), file);

  FirstStart();
  EXPECT_EQ(ReadRaw(ProfileKeyPath(3), L"Matrix").bytes, MatrixBytes(EditedMatrix()));
  const std::vector<std::uint8_t> rewritten = ReadFileBytes(ProfileFilePath(3));
  ASSERT_EQ(rewritten.size(), kProfileFileBytes);
  EXPECT_EQ(std::vector<std::uint8_t>(rewritten.begin(), rewritten.begin() + kMatrixBytes),
            MatrixBytes(EditedMatrix()));

  WriteFileBytes(ProfileFilePath(4), {});  // an empty file is short too
  FirstStart();
  EXPECT_EQ(ReadFileBytes(ProfileFilePath(4)).size(), kProfileFileBytes);
  EXPECT_EQ(ReadRaw(ProfileKeyPath(4), L"Matrix").bytes, MatrixBytes(DefaultMatrix));
}

TEST_F(ProfileStoreTest, AFileThatCannotBeOpenedIsLeftAlone) {
  FirstStart();
  WriteRaw(ProfileKeyPath(0), L"Matrix", REG_BINARY, MatrixBytes(EditedMatrix()));
  const std::vector<std::uint8_t> before = ReadFileBytes(ProfileFilePath(0));
  // Held open without sharing: opening it for reading fails with a sharing violation.
  HANDLE held = CreateFileW(ProfileFilePath(0).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SyncProfileFiles();
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(ProfileFilePath(0)), before);
  EXPECT_EQ(ReadRaw(ProfileKeyPath(0), L"Matrix").bytes, MatrixBytes(EditedMatrix()));
}

// Another program reading the old file for a moment, opened as most programs
// open a file (sharing reads and writes, not its removal): the new file still
// takes its place once the reader lets go, and no temporary file is left.
TEST_F(ProfileStoreTest, AFileReadByAnotherProgramIsReplacedOnceItIsLetGo) {
  FirstStart();
  WriteRaw(ProfileKeyPath(0), L"Matrix", REG_BINARY, MatrixBytes(EditedMatrix()));
  HANDLE reader = CreateFileW(ProfileFilePath(0).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  std::thread letGo([reader] {
    Sleep(300);
    CloseHandle(reader);
  });
  ExportProfileFiles(0);
  letGo.join();
  const std::vector<std::uint8_t> file = ReadFileBytes(ProfileFilePath(0));
  ASSERT_EQ(file.size(), kProfileFileBytes);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + kMatrixBytes), MatrixBytes(EditedMatrix()));
  EXPECT_FALSE(FileExists(ProfileFilePath(0) + L".new"));
}

TEST_F(ProfileStoreTest, AnUnwritableProfileFolderChangesNothingElse) {
  CreateMissingProfiles();
  WriteFileBytes(folder_ + L"profile", {1, 2, 3});  // a file where the folder should be
  SyncProfileFiles();
  ExportProfileFiles(-1);
  EXPECT_EQ(ReadFileBytes(folder_ + L"profile"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(ReadRaw(ProfileKeyPath(0), L"Matrix").bytes, MatrixBytes(DefaultMatrix));
}

// Each damage of each value: the value is replaced by its default, written
// back, and the other values of the profile are still read.
TEST_F(ProfileStoreTest, DamagedValuesAreRepairedOnLoad) {
  struct Value {
    std::wstring key;
    const wchar_t* name;
    std::size_t size;
  };
  const Value values[] = {
      {ProfileKeyPath(1), L"Matrix", kMatrixBytes},
      {ProfileKeyPath(1), L"AuxInfo", kAuxInfoBytes},
      {ProfileKeyPath(1), L"MacroUseCount", kMacroUseBytes},
      {ProfileKeyPath(1), L"ConfigInfo", kConfigInfoBytes},
      {kStoreRootPath, L"MacroUse", kMacroUseBytes},
  };
  enum Damage { kShorter, kLonger, kOtherType, kMissing };
  for (const Value& v : values) {
    for (Damage damage : {kShorter, kLonger, kOtherType, kMissing}) {
      SCOPED_TRACE(testing::Message() << std::string(v.name, v.name + wcslen(v.name)) << " damage "
                                      << damage);
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
      CreateMissingProfiles();
      // Good contents in every value of profile 1 and the root.
      const KeyMatrix edited = EditedMatrix();
      WriteRaw(ProfileKeyPath(1), L"Matrix", REG_BINARY, MatrixBytes(edited));
      AuxRecord aux[kMatrixPositions]{};
      aux[5].SetText(u"C:\\sound.wav");
      WriteRaw(ProfileKeyPath(1), L"AuxInfo", REG_BINARY, Bytes(aux, sizeof aux));
      ConfigInfo config = ConfigInfo::Defaults();
      config.reportRate = 500;
      config.valueA = 199;
      WriteRaw(ProfileKeyPath(1), L"ConfigInfo", REG_BINARY, Bytes(&config, sizeof config));
      MacroUseTable use{};
      use[160 + 7] = 0x123456;
      WriteRaw(kStoreRootPath, L"MacroUse", REG_BINARY, Bytes(use.data(), kMacroUseBytes));

      switch (damage) {
        case kShorter:
          WriteRaw(v.key, v.name, REG_BINARY, std::vector<std::uint8_t>(v.size - 1, 0x11));
          break;
        case kLonger:
          WriteRaw(v.key, v.name, REG_BINARY, std::vector<std::uint8_t>(v.size + 1, 0x11));
          break;
        case kOtherType:
          WriteRaw(v.key, v.name, REG_SZ, std::vector<std::uint8_t>(v.size, 0x41));
          break;
        case kMissing:
          DeleteRaw(v.key, v.name);
          break;
      }
      buffers::ClearAll();
      buffers::MacroUse.fill(0x77);  // must not survive a load
      std::vector<std::wstring> reports;
      SetReportListener([&reports](const std::wstring& text) { reports.push_back(text); });
      LoadProfile(1);
      SetReportListener({});

      const std::wstring name = v.name;
      EXPECT_EQ(buffers::KeyMatrix, name == L"Matrix" ? DefaultMatrix : edited);
      EXPECT_EQ(buffers::AuxInfo[5].Text(), name == L"AuxInfo" ? u"" : u"C:\\sound.wav");
      EXPECT_EQ(buffers::ConfigInfo.reportRate, name == L"ConfigInfo" ? 1000u : 500u);
      EXPECT_EQ(buffers::ConfigInfo.valueA, name == L"ConfigInfo" ? 0u : 199u);
      EXPECT_EQ(buffers::MacroUse[160 + 7], name == L"MacroUse" ? 0u : 0x123456u);
      EXPECT_EQ(buffers::MacroUse[0], 0u);
      // Reported once, naming the value, except a root MacroUse that was
      // never saved yet: its absence is no damage.
      const bool notNews = name == L"MacroUse" && damage == kMissing;
      ASSERT_EQ(reports.size(), notNews ? 0u : 1u);
      if (!notNews) {
        EXPECT_NE(reports[0].find(L" " + name + L" "), std::wstring::npos);
      }
      // Written back as a good value.
      const test::RawValue repaired = ReadRaw(v.key, v.name);
      EXPECT_EQ(repaired.type, static_cast<DWORD>(REG_BINARY));
      EXPECT_EQ(repaired.bytes.size(), v.size);
    }
  }
}

TEST_F(ProfileStoreTest, LoadingAMissingProfileCreatesItAndKeepsTheOtherSettings) {
  buffers::ConfigInfo.reportRate = 125;
  buffers::ConfigInfo.valueB = 47;
  buffers::ConfigInfo.text[0] = u'x';
  buffers::MacroUse[3] = 9;
  buffers::AuxInfo[3].SetText(u"old");
  LoadProfile(4);
  EXPECT_EQ(buffers::KeyMatrix, DefaultMatrix);
  EXPECT_EQ(buffers::AuxInfo[3].Text(), u"");
  EXPECT_EQ(buffers::ConfigInfo.reportRate, 1000u);
  EXPECT_EQ(buffers::ConfigInfo.Text(), u"");
  EXPECT_EQ(buffers::ConfigInfo.valueB, 47u);
  EXPECT_EQ(buffers::MacroUse[3], 9u);
  EXPECT_EQ(ReadRaw(ProfileKeyPath(4), L"Matrix").bytes, MatrixBytes(DefaultMatrix));
  EXPECT_FALSE(ReadRaw(kStoreRootPath, L"MacroUse").exists);
}

TEST_F(ProfileStoreTest, SaveWritesTheBuffersAndExportMirrorsTheRegistry) {
  FirstStart();
  LoadProfile(2);
  buffers::KeyMatrix = EditedMatrix();
  buffers::AuxInfo[17].SetText(u"C:\\Tools\\calc.exe");
  buffers::ConfigInfo.reportRate = 500;
  buffers::MacroUse[2 * 160 + 17] = 0xABCDEF;
  SaveProfile(2);
  EXPECT_EQ(ReadRaw(ProfileKeyPath(2), L"Matrix").bytes, MatrixBytes(EditedMatrix()));
  EXPECT_EQ(ReadU32(ReadRaw(kStoreRootPath, L"MacroUse").bytes, (2 * 160 + 17) * 4), 0xABCDEFu);

  // The export takes the registry's contents, not the buffers'.
  buffers::KeyMatrix[17] = MakeDisabledCode();
  ExportProfileFiles(2);
  const std::vector<std::uint8_t> file = ReadFileBytes(ProfileFilePath(2));
  ASSERT_EQ(file.size(), kProfileFileBytes);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + kMatrixBytes),
            MatrixBytes(EditedMatrix()));
  EXPECT_EQ(ReadU32(file, kFileConfigInfoOffset), 500u);
  EXPECT_EQ(file[kFileAuxInfoOffset + 17 * sizeof(AuxRecord)], 'C');
  EXPECT_FALSE(FileExists(ProfileFilePath(2) + L".new"));

  // Export of all five, with a profile key missing: that file shows the defaults.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, ProfileKeyPath(2).c_str());
  ExportProfileFiles(-1);
  const std::vector<std::uint8_t> defaults = ReadFileBytes(ProfileFilePath(2));
  ASSERT_EQ(defaults.size(), kProfileFileBytes);
  EXPECT_EQ(std::vector<std::uint8_t>(defaults.begin(), defaults.begin() + kMatrixBytes),
            MatrixBytes(DefaultMatrix));
  EXPECT_EQ(ReadU32(defaults, kFileConfigInfoOffset), 1000u);
}

TEST_F(ProfileStoreTest, SavingAVanishedProfileRecreatesItWithTheBuffersAsTheyAre) {
  FirstStart();
  buffers::KeyMatrix = EditedMatrix();
  buffers::KeyMatrix[30] = MakeMacroCode();
  buffers::AuxInfo[30].SetMacroId(0x5A5A0001);
  buffers::AuxInfo[17].SetText(u"C:\\Tools\\calc.exe");
  buffers::ConfigInfo.reportRate = 125;
  buffers::ConfigInfo.text[0] = u'q';
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, ProfileKeyPath(3).c_str());
  SaveProfile(3);
  EXPECT_EQ(ReadRaw(ProfileKeyPath(3), L"Matrix").bytes, MatrixBytes(buffers::KeyMatrix));
  EXPECT_EQ(ReadRaw(ProfileKeyPath(3), L"AuxInfo").bytes,
            Bytes(buffers::AuxInfo.data(), kAuxInfoBytes));
  const std::vector<std::uint8_t> config = ReadRaw(ProfileKeyPath(3), L"ConfigInfo").bytes;
  EXPECT_EQ(config, Bytes(&buffers::ConfigInfo, kConfigInfoBytes));
  EXPECT_EQ(ReadU32(config, 0), 125u);
  EXPECT_EQ(buffers::AuxInfo[30].MacroId(), 0x5A5A0001u);
  EXPECT_EQ(buffers::AuxInfo[17].Text(), u"C:\\Tools\\calc.exe");
}

TEST_F(ProfileStoreTest, SwitchingProfilesLeavesTheCurrentIndexAlone) {
  FirstStart();
  buffers::nCurFile = 3;
  SaveCurrentIndex();
  LoadProfile(1);
  LoadProfile(4);
  EXPECT_EQ(buffers::nCurFile, 3);
  buffers::nCurFile = 0;
  ASSERT_TRUE(LoadCurrentIndex());
  EXPECT_EQ(buffers::nCurFile, 3);
}

TEST_F(ProfileStoreTest, AStoredIndexOutsideTheProfilesReadsAsTheFirstProfile) {
  for (std::int32_t stored : {5, 7, -1, 0x7FFFFFFF}) {
    SCOPED_TRACE(stored);
    WriteRaw(kStoreRootPath, L"nCurFile", REG_BINARY, Bytes(&stored, 4));
    buffers::nCurFile = 2;
    EXPECT_TRUE(LoadCurrentIndex());
    EXPECT_EQ(buffers::nCurFile, 0);
  }
  // A value of the wrong size is not read at all.
  WriteRaw(kStoreRootPath, L"nCurFile", REG_BINARY, {4, 0});
  buffers::nCurFile = 2;
  EXPECT_FALSE(LoadCurrentIndex());
  EXPECT_EQ(buffers::nCurFile, 2);
}

TEST_F(ProfileStoreTest, ProgramLinksRoundTripAndABadValueKeepsThePreviousLinks) {
  buffers::ProCfg[3].enabled = 1;
  std::u16string name = u"game.exe";
  std::copy(name.begin(), name.end(), buffers::ProCfg[3].program);
  SaveProgramLinks();
  EXPECT_EQ(ReadRaw(kStoreRootPath, L"ProCfg").bytes.size(), kProCfgBytes);
  buffers::ProCfg = {};
  ASSERT_TRUE(LoadProgramLinks());
  EXPECT_EQ(buffers::ProCfg[3].enabled, 1u);
  EXPECT_EQ(buffers::ProCfg[3].Program(), u"game.exe");

  WriteRaw(kStoreRootPath, L"ProCfg", REG_DWORD, {1, 0, 0, 0});
  EXPECT_FALSE(LoadProgramLinks());
  EXPECT_EQ(buffers::ProCfg[3].Program(), u"game.exe");
}

TEST(ProgramFolderTest, IsTheProgramsFolderWithATrailingBackslash) {
  ASSERT_TRUE(ComputeProgramFolder());
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_EQ(std::wstring(path).rfind(folder, 0), 0u);
  EXPECT_EQ(std::wstring(path).find(L'\\', folder.size()), std::wstring::npos);
  SetProgramFolder(L"C:\\somewhere");
  EXPECT_EQ(ProgramFolder(), L"C:\\somewhere\\");
}

}  // namespace
}  // namespace q730x
