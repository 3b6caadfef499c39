#include "pages/macro_assignment_page.h"

#include <vector>

#include "markup/language_table.h"
#include "model/macro_store.h"
#include "model/win_handles.h"
#include "pages/list_page_style.h"

namespace q730x {

CDlgMacroSet::CDlgMacroSet() : SettingPage(kTemplate, {370, 169}, L"macro", L"Macro") {}

bool CDlgMacroSet::OnInitDialog() {
  SetWindowTextW(hwnd(), kWindowText);
  LoadSettingSkin();
  DragParentInstead();
  CreatePageList(hwnd(), list_, kListId, 16, scrollBitmap_);
  SetWindowTextW(list_.hwnd(), Language.str_macro_set.c_str());  // what a reader calls the list
  list_.SetInPlaceEdit(false);
  Fill();
  return true;
}

void CDlgMacroSet::Fill() {
  const MacroRoot root = DefaultMacroRoot();
  {
    UniqueRegKey opened;
    if (RegOpenKeyExW(root.key, root.path.c_str(), 0, KEY_READ, opened.receive()) != ERROR_SUCCESS)
      return;
  }
  std::vector<MacroListEntry> macros;
  ListMacros(root, macros);
  list_.RemoveAll();
  for (const MacroListEntry& macro : macros)
    list_.AddEntry(macro.id, std::wstring(macro.name.begin(), macro.name.end()));
}

void CDlgMacroSet::ReadChoice(KeyAssignment& assignment) const {
  assignment.code = KeyCode{};
  const int selected = list_.selection();
  if (selected < 0) return;
  assignment.code = MakeMacroCode();
  const std::uint32_t id = list_.data(selected);
  assignment.aux[0] = char16_t(id & 0xFFFF);
  assignment.aux[1] = char16_t(id >> 16);
}

LRESULT CDlgMacroSet::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRefillMacroListMessage) {
    Fill();
    return 0;
  }
  return SettingPage::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
