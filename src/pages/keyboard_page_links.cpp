// The keyboard page's program link: the check box and the program name
// button with their open-file dialogs. The switch to the profile of the
// program in the foreground is the keyboard session's.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <optional>

#include "markup/language_table.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "pages/keyboard_page.h"
#include "pages/message_box.h"
#include "pages/path_picker.h"
#include "pages/program_links.h"
#include "skin/modal_scope.h"

namespace q730x {

namespace {

// The platform's open-file dialog for a program; the chosen path, or nothing.
std::optional<std::wstring> PickProgram(HWND owner, const wchar_t* filter, DWORD flags,
                                        const wchar_t* initialFolder) {
  const FilePickerRequest request{L".exe", L"*.exe", filter, initialFolder};
  ModalScope scope;  // its loop runs inside our command handler
  return ShowOpenFileDialog(request, owner, flags);
}

void StoreLinkName(int profile, const std::wstring& name) {
  ProgramLink& link = buffers::ProCfg[profile];
  std::fill(std::begin(link.program), std::end(link.program), u'\0');
  const std::size_t units = std::min(name.size(), std::size_t(kAuxTextUnits - 1));
  std::copy(name.begin(), name.begin() + units, link.program);
}

std::wstring LinkName(int profile) {
  const std::u16string_view program = buffers::ProCfg[profile].Program();
  return FileNamePart(std::wstring(program.begin(), program.end()));
}

}  // namespace

void CKeyboardDlg::UpdateProgramLink() {
  const bool linked = buffers::ProCfg[currentProfile()].enabled != 0;
  linkBox_.SetChecked(linked);
  if (programName_.hwnd()) ShowWindow(programName_.hwnd(), linked ? SW_SHOW : SW_HIDE);
  const std::wstring name = LinkName(currentProfile());
  programName_.SetText(name);
  programName_.SetTooltip(name);
}

void CKeyboardDlg::ToggleProgramLink() {
  ProgramLink& link = buffers::ProCfg[currentProfile()];
  if (linkBox_.checked()) {
    StoreLinkName(currentProfile(), L"");
    linkBox_.SetChecked(false);
    link.enabled = 0;
    ShowWindow(programName_.hwnd(), SW_HIDE);
    SaveProgramLinks();
    return;
  }
  linkBox_.SetChecked(true);
  const std::optional<std::wstring> path =
      PickProgram(hwnd(), L"exe(*.exe)|*.exe|", OFN_OVERWRITEPROMPT, nullptr);
  const std::wstring name = path ? FileNamePart(*path) : std::wstring();
  if (!path || LinkedAlready(name, currentProfile())) {
    if (path) ShowMessageBox(Language.str_relate_prompt);
    linkBox_.SetChecked(false);
    link.enabled = 0;
    return;
  }
  StoreLinkName(currentProfile(), name);
  link.enabled = 1;
  programName_.SetText(name);
  programName_.SetTooltip(name);
  ShowWindow(programName_.hwnd(), SW_SHOW);
  SaveProgramLinks();
}

void CKeyboardDlg::ChooseLinkedProgram() {
  const std::optional<std::wstring> path =
      PickProgram(hwnd(), L"(*.exe)|*.exe||", OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, L"c:\\Program Files");
  if (!path || !hwnd()) return;
  const std::wstring name = FileNamePart(*path);
  if (LinkedAlready(name, currentProfile())) {
    ShowMessageBox(Language.str_relate_prompt);
    return;
  }
  StoreLinkName(currentProfile(), name);
  programName_.SetText(name);
  programName_.SetTooltip(name);
  SaveProgramLinks();
}

}  // namespace q730x
