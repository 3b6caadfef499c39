// The firmware image download the keyboard page runs on a worker thread when
// the user accepts the firmware prompt: fetch the image to
// FWUpdate\KavexGameDevice.MTP and, when the description named its SHA-256,
// keep it only if it matches.
#pragma once

#include <string>

#include "update/update_check.h"

namespace q730x {

enum class FirmwareDownloadResult {
  Ready,     // the image is in place: start the burn tool
  Failed,    // the download failed: nothing happens
  Rejected,  // the image does not match its SHA-256 and was deleted
};

// The image file's name in the program folder.
inline constexpr wchar_t kFirmwareImageFile[] = L"FWUpdate\\KavexGameDevice.MTP";

// The image is burned into a keyboard's flash; the burn tool takes no more
// than 64 MB. Two minutes is plenty on a slow line.
inline constexpr DownloadLimits kFirmwareImageLimits{32ull * 1024 * 1024, 120000, 5};

FirmwareDownloadResult DownloadFirmwareImage(const FirmwareOffer& offer, const std::wstring& folder,
                                             const DownloadLimits& limits = kFirmwareImageLimits);

}  // namespace q730x
