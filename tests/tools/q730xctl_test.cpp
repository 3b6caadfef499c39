// q730xctl as people run it: a backup exported, the store wiped and the
// backup imported gives the registry and the profile files back byte for
// byte; a dry run and a refused file change nothing; without administrator
// rights it looks but changes nothing; the device commands reach the
// (virtual) keyboard through the utility's own link.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <algorithm>

#include "model/key_code.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "store_snapshot.h"
#include "store_test_support.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

struct ToolRun {
  DWORD exitCode = DWORD(-1);
  std::string output;  // standard output and standard error together
};

// Runs the dist folder's q730xctl.exe and collects what it prints.
ToolRun RunTool(const std::wstring& arguments) {
  ToolRun run;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  const std::wstring exe = test::DistFolder() + L"q730xctl.exe";
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info{};
  const bool started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                      nullptr, nullptr, &startup, &info);
  CloseHandle(writeEnd);
  if (started) {
    // Read while the tool runs, and stop when it has ended, not at the end of
    // the pipe: a helper process Wine starts for it (the desktop window's)
    // inherits the pipe and keeps it open.
    const auto drain = [&] {
      DWORD available = 0;
      while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) || !got) break;
        run.output.append(buffer, got);
      }
    };
    const ULONGLONG end = GetTickCount64() + 60000;
    while (WaitForSingleObject(info.hProcess, 20) == WAIT_TIMEOUT && GetTickCount64() < end) drain();
    drain();
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(readEnd);
  return run;
}

const wchar_t kRoot[] = L"Software\\KAVEX\\Q730X";

// The registry tree and the five profile files, as bytes.
struct StoreImage {
  ctl::StoreSnapshot registry;
  std::vector<std::vector<std::uint8_t>> files;
};

StoreImage ReadImage() {
  StoreImage image{ctl::ReadStoreSnapshot(), {}};
  for (int n = 0; n < kProfileCount; ++n) image.files.push_back(test::ReadFileBytes(ProfileFilePath(n)));
  return image;
}

void ExpectSameImage(const StoreImage& a, const StoreImage& b) {
  EXPECT_EQ(a.registry.nCurFile, b.registry.nCurFile);
  EXPECT_EQ(a.registry.proCfg, b.registry.proCfg);
  EXPECT_EQ(a.registry.macroUse, b.registry.macroUse);
  for (int n = 0; n < kProfileCount; ++n) {
    EXPECT_EQ(a.registry.profiles[n], b.registry.profiles[n]) << "profile " << n + 1;
    EXPECT_EQ(a.files[n], b.files[n]) << "file " << n + 1;
  }
  EXPECT_EQ(a.registry.macros, b.registry.macros);
}

void WipeStore() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kRoot);
  for (int n = 0; n < kProfileCount; ++n) DeleteFileW(ProfileFilePath(n).c_str());
}

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramFolder(test::DistFolder());  // the tool's own folder: its profile files
    BuildDefaultMatrix();
    WipeStore();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    backup_ = std::wstring(temp) + L"q730x backup test.json";
    DeleteFileW(backup_.c_str());
    // A store as the utility leaves it, with a few things a user did.
    ASSERT_EQ(RunTool(L"init").exitCode, 0u);
    ASSERT_EQ(RunTool(L"set 1 17 00060100").exitCode, 0u);
    ASSERT_EQ(RunTool(L"set 2 5 C7050003 \"C:\\Program Files\\Tool\\tool.exe\"").exitCode, 0u);
    ASSERT_EQ(RunTool(L"set 3 40 00000008").exitCode, 0u);
    std::vector<std::uint8_t> macro(64 + 12);
    const std::uint32_t fields[] = {76, 0xE8E80010, 0xABCDEF, 2, 3};
    for (int i = 0; i < 5; ++i)
      for (int b = 0; b < 4; ++b) macro[4 * i + b] = std::uint8_t(fields[i] >> (8 * b));
    macro[20] = 'H', macro[22] = 'i', macro[60] = 3;
    const std::uint32_t events[] = {0xC0000041, 0xA0000078, 0xE0000041};
    for (int i = 0; i < 3; ++i)
      for (int b = 0; b < 4; ++b) macro[64 + 4 * i + b] = std::uint8_t(events[i] >> (8 * b));
    test::WriteRaw(L"Software\\KAVEX\\Q730X\\Macro\\00abcdef", L"", REG_BINARY, macro);
    test::WriteRaw(L"Software\\KAVEX\\Q730X\\Macro\\00000012", L"", REG_BINARY, {1, 2, 3});  // damaged
    // A key of profile 3 carries the macro, and profile 4's AuxInfo holds junk.
    std::vector<std::uint8_t> aux = test::ReadRaw(ProfileKeyPath(2), L"AuxInfo").bytes;
    aux[40 * 520] = 0xEF, aux[40 * 520 + 1] = 0xCD, aux[40 * 520 + 2] = 0xAB;
    test::WriteRaw(ProfileKeyPath(2), L"AuxInfo", REG_BINARY, aux);
    test::WriteRaw(ProfileKeyPath(3), L"AuxInfo", REG_BINARY, std::vector<std::uint8_t>(83200, 0x5A));
    std::vector<std::uint8_t> links(2620);
    links[524] = 1;
    for (int i = 0; i < 11; ++i) links[528 + 2 * i] = std::uint8_t("notepad.exe"[i]);
    test::WriteRaw(kRoot, L"ProCfg", REG_BINARY, links);
    ExportProfileFiles(-1);  // the files show what the registry holds, as after the utility's saves
  }
  void TearDown() override { DeleteFileW(backup_.c_str()); }

  std::wstring Backup() const { return L"\"" + backup_ + L"\""; }
  std::wstring backup_;
};

TEST_F(BackupTest, ExportWipeImportGivesEveryValueAndFileBackByteForByte) {
  const StoreImage before = ReadImage();
  const ToolRun exported = RunTool(L"export " + Backup());
  ASSERT_EQ(exported.exitCode, 0u) << exported.output;
  EXPECT_NE(exported.output.find("wrote 5 profiles and 2 macros"), std::string::npos) << exported.output;
  const auto text = test::ReadFileBytes(backup_);
  const std::string json(text.begin(), text.end());
  EXPECT_NE(json.find("\"code\": \"00060100\""), std::string::npos);
  EXPECT_NE(json.find("\"program\": \"notepad.exe\""), std::string::npos);
  EXPECT_NE(json.find("\"name\": \"Hi\""), std::string::npos);

  WipeStore();
  const ToolRun imported = RunTool(L"import " + Backup());
  ASSERT_EQ(imported.exitCode, 0u) << imported.output;
  ExpectSameImage(ReadImage(), before);

  // A second import finds nothing to do.
  const ToolRun again = RunTool(L"import " + Backup());
  EXPECT_NE(again.output.find("nothing: the store already holds this backup"), std::string::npos) << again.output;
}

TEST_F(BackupTest, ADryRunTellsTheChangesAndWritesNothing) {
  ASSERT_EQ(RunTool(L"export " + Backup()).exitCode, 0u);
  ASSERT_EQ(RunTool(L"set 1 17 00003900").exitCode, 0u);  // Caps Lock back to itself
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X\\Macro\\00abcdef");
  const StoreImage changed = ReadImage();
  const ToolRun dry = RunTool(L"import --dry-run " + Backup());
  EXPECT_EQ(dry.exitCode, 0u) << dry.output;
  EXPECT_NE(dry.output.find("change  profile 1 Matrix: 1 key (17)"), std::string::npos) << dry.output;
  EXPECT_NE(dry.output.find("create  macro 00abcdef"), std::string::npos) << dry.output;
  ExpectSameImage(ReadImage(), changed);
}

TEST_F(BackupTest, ADamagedOrHostileFileIsRefusedAndNothingChanges) {
  ASSERT_EQ(RunTool(L"export " + Backup()).exitCode, 0u);
  const auto good = test::ReadFileBytes(backup_);
  const StoreImage before = ReadImage();

  // Cut off in the middle.
  test::WriteFileBytes(backup_, std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2));
  ToolRun run = RunTool(L"import " + Backup());
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.output.find("nothing was changed"), std::string::npos) << run.output;

  // Well formed, but one key names a position the keyboard does not have.
  std::string text(good.begin(), good.end());
  const std::size_t at = text.find("\"position\": 17");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 14, "\"position\": 999");
  test::WriteFileBytes(backup_, std::vector<std::uint8_t>(text.begin(), text.end()));
  run = RunTool(L"import " + Backup());
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_NE(run.output.find("profiles[0].keys[") , std::string::npos) << run.output;
  EXPECT_NE(run.output.find("].position must be from 0 to 159; nothing was changed"), std::string::npos)
      << run.output;

  // Not a backup at all.
  test::WriteFileBytes(backup_, {'[', '1', ']'});
  EXPECT_EQ(RunTool(L"import " + Backup()).exitCode, 1u);
  ExpectSameImage(ReadImage(), before);
}

// ---- From an ordinary console -------------------------------------------------

// Lets everybody only read a key (as a user without administrator rights may)
// while it lives; its owner may always change the permissions back.
class ReadOnlyKey {
 public:
  explicit ReadOnlyKey(const std::wstring& path) : path_(path) { EXPECT_TRUE(Apply(L"D:P(A;OICI;KR;;;WD)")); }
  ~ReadOnlyKey() { Apply(L"D:P(A;OICI;KA;;;WD)"); }
  ReadOnlyKey(const ReadOnlyKey&) = delete;
  ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

 private:
  bool Apply(const wchar_t* sddl) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool done = ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr) &&
                RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    RegCloseKey(key);
    return done;
  }
  std::wstring path_;
};

// Runs the tool as if from a console without administrator rights (every
// process is elevated here, so the tool's own switch stands in for that).
ToolRun RunUnelevated(const std::wstring& arguments) {
  SetEnvironmentVariableW(L"Q730XCTL_ACT_UNELEVATED", L"1");
  ToolRun run = RunTool(arguments);
  SetEnvironmentVariableW(L"Q730XCTL_ACT_UNELEVATED", nullptr);
  return run;
}

TEST_F(BackupTest, WithoutElevationLookingWorksAndEveryChangeIsRefusedUntouched) {
  const StoreImage before = ReadImage();
  const ToolRun shown = RunUnelevated(L"show 1");
  EXPECT_EQ(shown.exitCode, 0u) << shown.output;
  EXPECT_NE(shown.output.find("   17  0x00060100  *"), std::string::npos) << shown.output;
  EXPECT_EQ(RunUnelevated(L"export " + Backup()).exitCode, 0u);
  EXPECT_EQ(RunUnelevated(L"import --dry-run " + Backup()).exitCode, 0u);

  for (const std::wstring& command : {std::wstring(L"init"), std::wstring(L"set 1 9 00190100"),
                                      L"import " + Backup(), std::wstring(L"apply 1"), std::wstring(L"rate 500")}) {
    const ToolRun run = RunUnelevated(command);
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_NE(run.output.find("run this from an administrator prompt"), std::string::npos) << run.output;
  }
  ExpectSameImage(ReadImage(), before);
}

TEST_F(BackupTest, ShowNeedsOnlyReadAccessAndSetReportsASaveTheRegistryRefused) {
  const StoreImage before = ReadImage();
  {
    const ReadOnlyKey root(kRoot), profile(ProfileKeyPath(0));
    const ToolRun shown = RunTool(L"show 1");
    EXPECT_EQ(shown.exitCode, 0u) << shown.output;
    EXPECT_NE(shown.output.find("   17  0x00060100  *"), std::string::npos) << shown.output;

    const ToolRun set = RunTool(L"set 1 9 00190100");
    EXPECT_EQ(set.exitCode, 1u) << set.output;
    EXPECT_NE(set.output.find("profile 1 could not be saved to the registry"), std::string::npos) << set.output;
    EXPECT_EQ(set.output.find("profile 1 position 9:"), std::string::npos) << set.output;
  }
  ExpectSameImage(ReadImage(), before);
}

TEST(Q730XCtlUsage, WrongArgumentsExitTwoWithOneLineOnStandardError) {
  for (const wchar_t* arguments : {L"export", L"import", L"import --dry-run", L"import --force x.json", L"rate 300",
                                   L"apply 9", L"device now", L"frobnicate"}) {
    const ToolRun run = RunTool(arguments);
    EXPECT_EQ(run.exitCode, 2u) << std::string(arguments, arguments + wcslen(arguments));
    EXPECT_NE(run.output.find("usage: q730xctl"), std::string::npos);
  }
}

// ---- Device commands ---------------------------------------------------------

class DeviceCommandTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("q730xctl"); }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    SetProgramFolder(test::DistFolder());
    WipeStore();
  }
};

TEST_F(DeviceCommandTest, DeviceTellsTheVersionTheIntervalAndTheLoader) {
  ASSERT_TRUE(keyboard().Admin("version 1.2"));
  ASSERT_TRUE(keyboard().Admin("interval 2"));
  const ToolRun run = RunTool(L"device");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_NE(run.output.find("keyboard:        connected"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("firmware loader: not present"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("firmware:        1.2"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("report interval: 2 ms (500 reports per second)"), std::string::npos) << run.output;

  ASSERT_TRUE(keyboard().Admin("unplug"));
  const ToolRun gone = RunTool(L"device");
  EXPECT_EQ(gone.exitCode, 1u) << gone.output;
  EXPECT_NE(gone.output.find("keyboard:        not connected"), std::string::npos) << gone.output;
  ASSERT_TRUE(keyboard().Admin("plug"));
}

TEST_F(DeviceCommandTest, RateSetsTheKeyboardsInterval) {
  const std::size_t rejoins = keyboard().Rejoins();
  const ToolRun run = RunTool(L"rate 125");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(keyboard().WaitForDump("interval", "8"));
  // The keyboard resets after the change: it leaves the bus and comes back.
  EXPECT_TRUE(keyboard().WaitForRejoin(rejoins));
}

TEST_F(DeviceCommandTest, ApplyDownloadsTheProfileAndSavesItAsTheUtilityDoes) {
  ASSERT_EQ(RunTool(L"set 2 17 00060100").exitCode, 0u);
  const ToolRun run = RunTool(L"apply 2");
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(keyboard().DumpField("matrix").substr(17 * 8, 8), "00010600");
  EXPECT_EQ(test::ReadRaw(kRoot, L"nCurFile").bytes, (std::vector<std::uint8_t>{1, 0, 0, 0}));

  // A keyboard that refuses the matrix: a failure, and the current profile stays.
  ASSERT_TRUE(keyboard().Admin("refuse 1 after 5"));
  const ToolRun refused = RunTool(L"apply 1");
  EXPECT_EQ(refused.exitCode, 1u) << refused.output;
  EXPECT_NE(refused.output.find("the keyboard refused profile 1"), std::string::npos) << refused.output;
  EXPECT_EQ(test::ReadRaw(kRoot, L"nCurFile").bytes, (std::vector<std::uint8_t>{1, 0, 0, 0}));
}

}  // namespace
}  // namespace q730x
