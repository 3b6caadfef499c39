// The pickers of the advanced function page: an open-file dialog and a
// folder browser. The page asks through this interface; the product's
// implementation shows the platform's own dialogs.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace q730x {

// One open-file dialog as the page asks for it. The filter is in the
// single-string form "description|pattern||".
struct FilePickerRequest {
  const wchar_t* defaultExtension;
  const wchar_t* initialName;
  const wchar_t* filter;
  const wchar_t* initialFolder;
};

class PathPicker {
 public:
  virtual ~PathPicker() = default;
  // The full path of the chosen file, or nothing when the user cancels.
  virtual std::optional<std::wstring> PickFile(const FilePickerRequest& request) = 0;
  // The chosen folder's path; nothing when the user cancels or the choice
  // has no file-system path.
  virtual std::optional<std::wstring> PickFolder() = 0;
};

// GetOpenFileNameW and SHBrowseForFolderW, both without an owner window.
class PlatformPathPicker : public PathPicker {
 public:
  std::optional<std::wstring> PickFile(const FilePickerRequest& request) override;
  std::optional<std::wstring> PickFolder() override;
};

// The platform's open-file dialog for one request, with an owner window (or
// none) and dialog flags of the caller's.
std::optional<std::wstring> ShowOpenFileDialog(const FilePickerRequest& request, HWND owner, DWORD flags);

// The platform form of a single-string filter: every bar becomes a zero
// character (the string's own terminator ends the list).
std::wstring PlatformFilter(const std::wstring& barSeparated);

// What the dialog appends to a typed name without an extension: the
// extension without its dot and without wildcards (".wav*" gives "wav",
// "." nothing), so that a typed name never ends in a wildcard.
std::wstring DefaultExtension(const wchar_t* pattern);

}  // namespace q730x
