#include "pages/setting_skin_dialog.h"

#include "model/program_folder.h"

namespace q730x {

SettingSkinDialog::SettingSkinDialog(int templateId, SIZE expectedSize, const wchar_t* skinFolder,
                                     const wchar_t* skinPrefix)
    : SkinnedDialog(templateId, expectedSize), skinFolder_(skinFolder), skinPrefix_(skinPrefix) {}

void SettingSkinDialog::LoadSettingSkin() {
  const std::wstring base = ProgramFolder() + L"skins\\" + skinFolder_ + L"\\" + skinPrefix_;
  LoadSkinFiles(base + L"_Normal.bmp", base + L"_Down.bmp", base + L"_Over.bmp");
}

bool IsSwallowedDialogKey(const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_KEYUP) return false;
  return message.wParam == VK_RETURN || message.wParam == VK_ESCAPE || message.wParam == VK_SPACE;
}

bool SettingSkinDialog::PreTranslateMessage(MSG& message) {
  return IsSwallowedDialogKey(message) || SkinnedDialog::PreTranslateMessage(message);
}

}  // namespace q730x
