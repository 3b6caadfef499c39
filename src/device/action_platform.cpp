#include "device/action_platform.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "device/desktop_shell.h"
#include "model/admin_overrides.h"

namespace q730x {

namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// Where the worker tells of a launch it refused (set by the keyboard session).
std::atomic<HWND> refusalWindow{nullptr};
std::atomic<UINT> refusalMessage{0};

// "\"C:\Program Files\Q730X\ScreenClip.exe\" -t desktop -p" as its program
// and its arguments.
void SplitCommandLine(const std::wstring& line, std::wstring& program, std::wstring& arguments) {
  std::size_t end = 0;
  if (!line.empty() && line[0] == L'"') {
    end = line.find(L'"', 1);
    if (end == std::wstring::npos) end = line.size();
    program = line.substr(1, end - 1);
    if (end < line.size()) ++end;
  } else {
    end = std::min(line.find(L' '), line.size());
    program = line.substr(0, end);
  }
  const std::size_t rest = line.find_first_not_of(L' ', end);
  arguments = rest == std::wstring::npos ? std::wstring() : line.substr(rest);
}

bool UserRoutesFailForTests() {
  const std::optional<std::wstring> value = ReadOverride(kUserLaunchOverride);
  return value && *value == L"fail";
}

bool EndsWithExe(const std::wstring& name) {
  return name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0;
}

bool IsFullPath(const std::wstring& name) {
  return (name.size() > 2 && name[1] == L':' && name[2] == L'\\') || name.rfind(L"\\\\", 0) == 0;
}

// A program a key names, as a full path: given so, or found on PATH (as the
// shell would find a bare "notepad.exe"). Empty for anything but a program.
std::wstring ProgramPath(std::wstring target) {
  if (target.size() >= 2 && target.front() == L'"' && target.back() == L'"') target = target.substr(1, target.size() - 2);
  if (!EndsWithExe(target)) return std::wstring();
  if (IsFullPath(target)) return target;
  if (target.find_first_of(L"\\/:") != std::wstring::npos) return std::wstring();  // relative: not searched
  const DWORD pathChars = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  std::vector<wchar_t> path(pathChars + 1);
  GetEnvironmentVariableW(L"PATH", path.data(), DWORD(path.size()));
  wchar_t found[MAX_PATH] = {};
  const DWORD length = SearchPathW(path.data(), target.c_str(), nullptr, MAX_PATH, found, nullptr);
  return length > 0 && length < MAX_PATH ? std::wstring(found, length) : std::wstring();
}

// A launch that neither the shell nor the desktop user's token could take is
// not started at all: the utility's own token is elevated.
void Refuse(const std::wstring& what) {
  OutputDebugStringW((L"Q730X: no desktop shell answers and the desktop user's rights are not to be had; "
                      L"not started: " + what + L"\n").c_str());
  if (HWND window = refusalWindow.load()) PostMessageW(window, refusalMessage.load(), 0, 0);
}

// On the desktop-shell worker: the shell first, then the shell's token.
void LaunchAsUser(const std::wstring& file, const std::wstring& parameters, const std::wstring& what) {
  const bool routesFail = UserRoutesFailForTests();
  if (!routesFail && OpenThroughDesktopShell(file, parameters)) return;
  const std::wstring program = ProgramPath(file);
  if (!routesFail && !program.empty() && StartAsDesktopUser(program, parameters)) {
    OutputDebugStringW((L"Q730X: no desktop shell answers; started with the desktop user's rights: " + what +
                        L"\n").c_str());
    return;
  }
  Refuse(what);
}

}  // namespace

void TellLaunchRefusalsTo(HWND window, UINT message) {
  refusalMessage = message;
  refusalWindow = window;
}

// The capture tool runs as the user, like every program a key starts.
void WindowsActionPlatform::RunCommandLine(const std::u16string& commandLine) {
  const std::wstring line = Wide(commandLine);
  launches_.Queue(line, [line] {
    std::wstring program, arguments;
    SplitCommandLine(line, program, arguments);
    LaunchAsUser(program, arguments, line);
  });
}

// Sounds play in the utility's own process. A missing file plays nothing
// rather than the system's default sound.
void WindowsActionPlatform::PlaySoundFile(const std::u16string& file) {
  PlaySoundW(reinterpret_cast<const wchar_t*>(file.c_str()), GetModuleHandleW(nullptr),
             SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

void WindowsActionPlatform::OpenWithShell(const std::u16string& target) {
  const std::wstring name = Wide(target);
  launches_.Queue(name, [name] { LaunchAsUser(name, std::wstring(), name); });
}

ActionPlatform& SystemActionPlatform() {
  static WindowsActionPlatform platform;
  return platform;
}

}  // namespace q730x
