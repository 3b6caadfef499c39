#include "update/update_check.h"

#include <mutex>

#include "device/detached_thread.h"
#include "markup/markup_doc.h"
#include "update/web_download.h"

namespace q730x {

namespace {

// Written by check threads, read by the firmware download and the about
// dialog on the main thread.
std::mutex locationLock;
FirmwareOffer firmwareOffer;
std::wstring driverLocation;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// Surrounding white space of an element's text does not belong to the value.
std::u16string Trimmed(std::u16string text) {
  const auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (!text.empty() && space(text.back())) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && space(text[start])) ++start;
  return text.substr(start);
}

}  // namespace

FirmwareOffer NewFirmwareLocation() {
  std::lock_guard hold(locationLock);
  return firmwareOffer;
}

void SetNewFirmwareLocation(const FirmwareOffer& offer) {
  std::lock_guard hold(locationLock);
  firmwareOffer = offer;
}

std::wstring NewDriverLocation() {
  std::lock_guard hold(locationLock);
  return driverLocation;
}

int VersionDigit(wchar_t c) { return c >= L'0' && c <= L'9' ? c - L'0' : 0; }

int DescriptionVersionValue(std::u16string_view version) {
  if (version.size() < 4) return 0;
  return VersionDigit(version[1]) * 10 + VersionDigit(version[3]);
}

int ProgramVersionValue(std::wstring_view text) {
  if (text.size() < 3) return 0;
  return VersionDigit(text[text.size() - 3]) * 10 + VersionDigit(text[text.size() - 1]);
}

UpdateOutcome RunUpdateCheck(const UpdateCheckRequest& request) {
  // Without a firmware version the keyboard never answered: nothing to say.
  if (request.firmwareMajor == 0) return UpdateOutcome::None;
  const std::wstring path = request.folder + L"FWUpdate\\newver.xml";
  if (!DownloadFresh(request.url, path, request.limits)) return UpdateOutcome::DownloadFailed;
  MarkupDoc description;
  if (!description.Load(path)) return UpdateOutcome::Unreadable;

  const bool firmware = request.kind == UpdateKind::Firmware;
  const std::u16string section = firmware ? u"firmware" : u"driver";
  const std::u16string current = Trimmed(description.GetSectionValue(section, u"current"));
  const std::u16string location = Trimmed(description.GetSectionValue(section, u"newfile"));
  if (current.empty() || location.empty()) return UpdateOutcome::Unreadable;
  if (current.size() != 4) return UpdateOutcome::None;
  const int offered = DescriptionVersionValue(current);

  if (firmware) {
    const int installed = int(request.firmwareMajor * 10 + request.firmwareMinor);
    if (offered <= installed) return UpdateOutcome::FirmwareNotOlder;
    SetNewFirmwareLocation({Wide(location), Wide(Trimmed(description.GetSectionValue(u"firmware", u"sha256")))});
    return UpdateOutcome::FirmwareNewer;
  }
  if (offered <= ProgramVersionValue(request.programVersion)) return UpdateOutcome::DriverNotOlder;
  {
    std::lock_guard hold(locationLock);
    driverLocation = Wide(location);
  }
  return UpdateOutcome::DriverNewer;
}

bool UpdateCheckThread(UpdateCheckRequest request) {
  if (!request.aboutDialog || !IsWindow(request.aboutDialog)) return false;
  return StartDetachedThread([request = std::move(request)] {
    const UpdateOutcome outcome = RunUpdateCheck(request);
    if (outcome != UpdateOutcome::None && IsWindow(request.aboutDialog))
      PostMessageW(request.aboutDialog, WM_UPDATE_CHECK_RESULT, WPARAM(outcome), 0);
  });
}

}  // namespace q730x
