// HidBridge.dll and how the link loads it: a handle only while the keyboard
// is attached and ready, and the library only from the program's own folder.
#include <gtest/gtest.h>

#include "device/companion_library.h"
#include "device/driver_link.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

class HidBridgeTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("hid"); }
  void SetUp() override { ASSERT_TRUE(keyboard().Admin("factory")); }

};

TEST_F(HidBridgeTest, OpenHidDeviceGivesAHandleOnlyWhileTheKeyboardIsReady) {
  UniqueLibrary library(LoadLibraryW((test::DistFolder() + L"HidBridge.dll").c_str()));
  ASSERT_TRUE(library);
  auto open = reinterpret_cast<OpenHidDeviceFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "OpenHidDevice")));
  ASSERT_NE(open, nullptr);
  auto opens = [&] {
    UniqueHandle h(open(0xFF01, 1, 0, 0, 0, 0, 1, 0x40000000));
    return h.valid();
  };
  EXPECT_TRUE(opens());
  for (const char* off : {"hid off", "loader on", "unplug"}) {
    ASSERT_TRUE(keyboard().Admin("factory"));
    ASSERT_TRUE(keyboard().Admin(off));
    EXPECT_FALSE(opens()) << off;
  }
  // Without the virtual keyboard there is nothing to open either.
  test::SetOverride(kPipeOverride, L"\\\\.\\pipe\\q730x-test-nobody-here");
  EXPECT_FALSE(opens());
  test::SetOverride(kPipeOverride, keyboard().pipe().c_str());
}

TEST_F(HidBridgeTest, TheLinkLoadsTheLibraryFromItsOwnFolderAndReopensTheHandle) {
  CUSBDriver link;
  ASSERT_TRUE(link.StartLink(nullptr));
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(kHidLibraryName), path, MAX_PATH);
  EXPECT_EQ(std::wstring(path), test::TestFolder() + kHidLibraryName);

  EXPECT_TRUE(link.OpenHid());
  EXPECT_TRUE(link.HidOpen());
  ASSERT_TRUE(keyboard().Admin("hid off"));
  EXPECT_FALSE(link.OpenHid());  // the old handle is closed first
  EXPECT_FALSE(link.HidOpen());
  ASSERT_TRUE(keyboard().Admin("hid on"));
  EXPECT_TRUE(link.OpenHid());

  HWND window = link.window();
  ASSERT_NE(window, nullptr);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"KavexQ460Drivers");
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, static_cast<LONG>(WS_POPUP));
  EXPECT_FALSE(IsWindowVisible(window));
  link.StopLink();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(link.HidOpen());
  EXPECT_EQ(GetModuleHandleW(kHidLibraryName), nullptr);
}

// The utility runs with administrator rights: a library planted in the
// current folder must not be loaded in place of its own.
TEST(CompanionLibrary, ALibraryPlantedInTheCurrentFolderIsNotLoaded) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"q730x-planted-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring planted = folder + L"\\PlantedCompanion.dll";
  ASSERT_TRUE(CopyFileW((test::DistFolder() + L"HidBridge.dll").c_str(), planted.c_str(), FALSE));
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));

  EXPECT_FALSE(LoadCompanionLibrary(L"PlantedCompanion.dll"));
  {
    UniqueLibrary searched(LoadLibraryW(L"PlantedCompanion.dll"));  // the search path finds it
    EXPECT_TRUE(searched);
  }
  SetCurrentDirectoryW(previous);
  DeleteFileW(planted.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace q730x
