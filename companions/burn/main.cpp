// Q730XBurn -KAVEX
// The stand-in firmware burn tool. Started by the utility from its FWUpdate
// folder, it burns FWUpdate\KavexGameDevice.MTP into the virtual keyboard:
// it puts the keyboard into its firmware loader (the keyboard leaves the bus
// and the loader joins it), "writes" in fixed steps while it reports progress
// to the utility's main window (0x70A), gives the keyboard the image's
// version, leaves the loader (the keyboard rejoins) and reports 0x70B. A
// damaged image, a keyboard that is not there or one that leaves the bus
// during the burn is reported with 0x70C.
// Exit status: 0 burned, 1 failed, 2 wrong command line.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "device/virtual_pipe_client.h"
#include "firmware_image.h"
#include "markup/language_table.h"
#include "model/win_handles.h"

namespace {

using namespace q730x;

constexpr UINT kProgress = 0x70A, kFinished = 0x70B, kFailed = 0x70C;
constexpr int kSteps = 10;
constexpr DWORD kStepMs = 200;

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// The utility's main window by its title (the language text str_title of
// the utility's language file, one folder up), else by its window class.
HWND FindMainWindow(const std::wstring& programFolder) {
  LanguageTable texts;
  LoadLanguageTable(programFolder + L"language.xml", texts);
  if (!texts.str_title.empty())
    if (HWND window = FindWindowW(nullptr, texts.str_title.c_str())) return window;
  return FindWindowW(L"Q730XMainWindow", nullptr);
}

bool ReadImageFile(const std::wstring& path, std::string& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
  bytes.resize(std::size_t(size.QuadPart));
  DWORD read = 0;
  return bytes.empty() ||
         (::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size());
}

// A value of the virtual keyboard's dump ("attached 1" -> "1").
std::string DumpValue(const std::string& dump, const std::string& name) {
  const std::size_t at = dump.find(name + " ");
  if (at == std::string::npos || (at > 0 && dump[at - 1] != '\n')) return "";
  const std::size_t start = at + name.size() + 1;
  return dump.substr(start, dump.find('\n', start) - start);
}

// Whether the keyboard is on the bus, in its loader when inLoader.
bool StillThere(vkb::PipeClient& keyboard, bool inLoader) {
  std::string reply;
  return keyboard.Admin("dump", reply) && DumpValue(reply, "attached") == "1" &&
         (!inLoader || DumpValue(reply, "loader") == "1");
}

bool Burn(vkb::PipeClient& keyboard, const burn::FirmwareVersion& version, HWND main) {
  std::string reply;
  if (!StillThere(keyboard, false)) return false;
  // A keyboard already in its loader is an update that was cut short: go on.
  if (!keyboard.Admin("loader on", reply)) return false;
  for (int step = 1; step <= kSteps; ++step) {
    Sleep(kStepMs);
    // A keyboard pulled out during the burn keeps what it had and stays in
    // its loader; the burn failed, and is never reported as done.
    if (!StillThere(keyboard, true)) return false;
    PostMessageW(main, kProgress, 0, LPARAM(step * 100 / kSteps));
  }
  const std::string versionText = std::to_string(version.major) + "." + std::to_string(version.minor);
  return keyboard.Admin("version " + versionText, reply) && keyboard.Admin("loader off", reply);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  const bool ours = arguments && count == 2 && std::wstring(arguments[1]) == L"-KAVEX";
  LocalFree(arguments);
  if (!ours) return 2;

  const std::wstring folder = OwnFolder();
  const std::wstring programFolder = folder.size() > 1
      ? folder.substr(0, folder.find_last_of(L'\\', folder.size() - 2) + 1) : folder;
  HWND main = FindMainWindow(programFolder);
  if (!main) return 1;  // nobody to report to

  std::string image;
  const auto version = ReadImageFile(folder + L"KavexGameDevice.MTP", image)
      ? burn::ReadFirmwareImage(image) : std::nullopt;
  vkb::PipeClient keyboard;
  const bool burned = version && keyboard.Connect(vkb::VirtualPipeName()) && Burn(keyboard, *version, main);
  PostMessageW(main, burned ? kFinished : kFailed, 0, 0);
  return burned ? 0 : 1;
}
