#include "update/firmware_download.h"

#include <windows.h>

#include <cwctype>

#include "update/web_download.h"

namespace q730x {

namespace {

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = wchar_t(std::towlower(c));
  return text;
}

}  // namespace

FirmwareDownloadResult DownloadFirmwareImage(const FirmwareOffer& offer, const std::wstring& folder,
                                             const DownloadLimits& limits) {
  const std::wstring path = folder + kFirmwareImageFile;
  if (!DownloadFresh(offer.location, path, limits)) return FirmwareDownloadResult::Failed;
  // A description without a digest is still served by older servers; one
  // with a digest is a promise the image must keep before it is burned.
  if (offer.sha256.empty()) return FirmwareDownloadResult::Ready;
  if (FileSha256(path) == Lower(offer.sha256)) return FirmwareDownloadResult::Ready;
  DeleteFileW(path.c_str());
  return FirmwareDownloadResult::Rejected;
}

}  // namespace q730x
