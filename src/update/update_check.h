// The update check: fetches the update description into FWUpdate\newver.xml,
// compares its firmware version with the keyboard's, or its utility version
// with the utility's own, and reports one outcome to the about dialog with
// message 0x801. A firmware check that finds newer firmware keeps where to
// fetch it (NewFirmwareLocation) for the keyboard page's firmware download.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "update/web_download.h"

namespace q730x {

constexpr UINT WM_UPDATE_CHECK_RESULT = 0x801;  // wParam: UpdateOutcome

enum class UpdateKind { Firmware, Driver };

enum class UpdateOutcome {
  None = 0,  // nothing is posted
  DownloadFailed = 1,
  Unreadable = 2,
  FirmwareNotOlder = 3,
  FirmwareNewer = 4,
  DriverNewer = 5,
  DriverNotOlder = 6,
};

// The newest firmware the last successful firmware check found: its location
// and, when the description gave one, the SHA-256 its image must have.
struct FirmwareOffer {
  std::wstring location;
  std::wstring sha256;
};
FirmwareOffer NewFirmwareLocation();
void SetNewFirmwareLocation(const FirmwareOffer& offer);
// Where the last driver check found the newer utility.
std::wstring NewDriverLocation();

// The value of one version character: '0' to '9' give 0 to 9, anything else 0.
int VersionDigit(wchar_t c);
// A "V1.3" form: characters 2 and 4 as major and minor, major * 10 + minor.
int DescriptionVersionValue(std::u16string_view version);
// The utility's version text (ending in a form such as V1.2): the characters
// at length-3 and length-1; 0 when shorter than 3.
int ProgramVersionValue(std::wstring_view versionText);

// A description is a few hundred bytes; a server that sends more than a
// megabyte, or takes more than 20 seconds, is not answering the check.
inline constexpr DownloadLimits kDescriptionLimits{1024 * 1024, 20000, 5};

struct UpdateCheckRequest {
  HWND aboutDialog = nullptr;  // receives 0x801
  UpdateKind kind = UpdateKind::Firmware;
  unsigned firmwareMajor = 0, firmwareMinor = 0;
  std::wstring programVersion;  // the language text str_version
  std::wstring folder;          // the program folder, with a trailing backslash
  std::wstring url;             // the update description's address
  DownloadLimits limits = kDescriptionLimits;
};

// The whole check on the calling thread: download, read, compare, store the
// location found. Answers the outcome to post (None: post nothing).
UpdateOutcome RunUpdateCheck(const UpdateCheckRequest& request);
// The check on a worker thread of its own, which posts the outcome to the
// about dialog if it still exists. False when no thread could be started.
bool UpdateCheckThread(UpdateCheckRequest request);

}  // namespace q730x
