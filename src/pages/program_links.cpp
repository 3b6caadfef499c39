#include "pages/program_links.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "model/profile_buffers.h"
#include "model/win_handles.h"

namespace q730x {

namespace {

std::wstring LinkName(int profile) {
  const std::u16string_view program = buffers::ProCfg[profile].Program();
  return std::wstring(program.begin(), program.end());
}

}  // namespace

std::wstring FileNamePart(std::wstring_view path) {
  const std::size_t slash = path.rfind(L'\\');
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

bool LinkedAlready(std::wstring_view name, int current) {
  if (name.empty()) return false;
  for (int i = 0; i < kProfileCount; ++i) {
    if (i == current) continue;
    const std::wstring link = FileNamePart(LinkName(i));
    // Whole names, letter case ignored, as the file system compares them.
    if (CompareStringOrdinal(link.data(), int(link.size()), name.data(), int(name.size()), TRUE) == CSTR_EQUAL)
      return true;
  }
  return false;
}

std::optional<int> ProfileLinkedTo(std::wstring_view program, int current) {
  for (int i = 0; i < kProfileCount; ++i) {
    if (buffers::ProCfg[i].enabled == 0) continue;
    const std::wstring link = LinkName(i);
    if (link.empty()) continue;
    if (FileNamePart(link) == program && i != current) return i;
  }
  return std::nullopt;
}

bool AnyLinkEnabled() {
  for (const ProgramLink& link : buffers::ProCfg)
    if (link.enabled != 0) return true;
  return false;
}

std::wstring ForegroundProgramName() {
  const std::wstring unknown = L"Unknow";
  HWND foreground = GetForegroundWindow();
  if (!foreground) return unknown;
  DWORD processId = 0;
  GetWindowThreadProcessId(foreground, &processId);
  // Only the limited query right: anti-cheat drivers refuse their games'
  // memory (PROCESS_VM_READ) to every other program, but not their names.
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return unknown;
  std::wstring path(32768, L'\0');  // a program may lie deeper than MAX_PATH
  DWORD length = DWORD(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length) || length == 0) return unknown;
  path.resize(length);
  return path.substr(path.find_last_of(L"\\/") + 1);  // the base name, as the module name was
}

}  // namespace q730x
