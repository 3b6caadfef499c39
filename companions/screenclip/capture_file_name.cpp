#include "capture_file_name.h"

#include <cwchar>

namespace q730x::screenclip {

std::wstring CaptureFileName(const CaptureTime& time, unsigned attempt) {
  wchar_t name[64];
  int n = std::swprintf(name, 64, L"Capture %04u-%02u-%02u %02u-%02u-%02u", time.year, time.month,
                        time.day, time.hour, time.minute, time.second);
  if (n < 0) return std::wstring();
  std::wstring result(name, static_cast<std::size_t>(n));
  if (attempt > 1) result += L" (" + std::to_wstring(attempt) + L")";
  return result + L".png";
}

}  // namespace q730x::screenclip
