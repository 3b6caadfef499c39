#include "pages/setting_skin_dialog.h"

#include "model/program_folder.h"

namespace q730x {

SettingSkinDialog::SettingSkinDialog(int templateId, SIZE expectedSize, const wchar_t* skinFolder,
                                     const wchar_t* skinPrefix)
    : SkinnedDialog(templateId, expectedSize, DialogKeys::Swallowed),
      skinFolder_(skinFolder),
      skinPrefix_(skinPrefix) {}

void SettingSkinDialog::LoadSettingSkin() {
  const std::wstring base = ProgramFolder() + L"skins\\" + skinFolder_ + L"\\" + skinPrefix_;
  LoadSkinFiles(base + L"_Normal.bmp", base + L"_Down.bmp", base + L"_Over.bmp");
}

}  // namespace q730x
