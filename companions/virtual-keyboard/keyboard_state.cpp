#include "keyboard_state.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "model/win_handles.h"

namespace q730x::vkb {
namespace {

constexpr char kMagic[8] = {'Q', '7', 'V', 'K', 'S', 'T', 'A', 'T'};
constexpr std::uint32_t kFormat = 1;
constexpr std::size_t kFlagsOffset = 12;
constexpr std::size_t kSlotsWrittenOffset = 16;
constexpr std::size_t kMatrixOffset = 20;
constexpr std::size_t kSlotsOffset = kMatrixOffset + kKeyMatrixBytes;
static_assert(kSlotsOffset + kMacroSlots * kMacroImageBytes == kStateFileBytes);

enum StateFlags : std::uint8_t { FLAG_ATTACHED = 1, FLAG_LOADER = 2, FLAG_HID_READY = 4 };

bool ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes, DWORD& error) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (!file) {
    error = GetLastError();
    return false;
  }
  LARGE_INTEGER size{};
  // Anything much larger than a state file is not one; read a bounded amount.
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 1 << 20) {
    error = ERROR_INVALID_DATA;
    bytes.clear();
    return true;
  }
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size())) {
    error = GetLastError();
    return false;
  }
  return true;
}

}  // namespace

KeyboardState FactoryState() {
  KeyboardState state;
  state.matrix = FactoryMatrix();
  return state;
}

std::vector<std::uint8_t> SerializeState(const KeyboardState& state) {
  std::vector<std::uint8_t> out(kStateFileBytes, 0);
  std::memcpy(out.data(), kMagic, sizeof kMagic);
  WriteLE32(&out[8], kFormat);
  out[kFlagsOffset] = state.intervalMs;
  out[kFlagsOffset + 1] = state.versionMajor;
  out[kFlagsOffset + 2] = state.versionMinor;
  out[kFlagsOffset + 3] = static_cast<std::uint8_t>((state.attached ? FLAG_ATTACHED : 0) |
                                                    (state.loaderMode ? FLAG_LOADER : 0) |
                                                    (state.hidReady ? FLAG_HID_READY : 0));
  WriteLE32(&out[kSlotsWrittenOffset], state.slotsWritten);
  std::copy_n(state.matrix.bytes(), kKeyMatrixBytes, &out[kMatrixOffset]);
  for (unsigned s = 0; s < kMacroSlots; ++s)
    std::copy(state.slots[s].begin(), state.slots[s].end(), &out[kSlotsOffset + s * kMacroImageBytes]);
  return out;
}

bool ParseState(const std::vector<std::uint8_t>& bytes, KeyboardState& state, std::string& reason) {
  if (bytes.size() != kStateFileBytes) {
    reason = "state file has " + std::to_string(bytes.size()) + " bytes, not " +
             std::to_string(kStateFileBytes);
    return false;
  }
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    reason = "state file does not start with Q7VKSTAT";
    return false;
  }
  if (ReadLE32(&bytes[8]) != kFormat) {
    reason = "state file format " + std::to_string(ReadLE32(&bytes[8])) + " is unknown";
    return false;
  }
  const std::uint8_t interval = bytes[kFlagsOffset];
  if (interval != 1 && interval != 2 && interval != 8) {
    reason = "state file holds report interval " + std::to_string(interval);
    return false;
  }
  const std::uint32_t written = ReadLE32(&bytes[kSlotsWrittenOffset]);
  if (written >> kMacroSlots) {
    reason = "state file marks macro slots above 30 as written";
    return false;
  }
  KeyboardState s;
  s.intervalMs = interval;
  s.versionMajor = bytes[kFlagsOffset + 1];
  s.versionMinor = bytes[kFlagsOffset + 2];
  const std::uint8_t flags = bytes[kFlagsOffset + 3];
  s.attached = flags & FLAG_ATTACHED;
  s.loaderMode = flags & FLAG_LOADER;
  s.hidReady = flags & FLAG_HID_READY;
  s.slotsWritten = written;
  std::copy_n(&bytes[kMatrixOffset], kKeyMatrixBytes, s.matrix.bytes());
  for (unsigned slot = 0; slot < kMacroSlots; ++slot)
    std::copy_n(&bytes[kSlotsOffset + slot * kMacroImageBytes], kMacroImageBytes,
                s.slots[slot].begin());
  state = s;
  return true;
}

KeyboardState LoadStateFile(const std::wstring& path, std::string& note) {
  std::vector<std::uint8_t> bytes;
  DWORD error = 0;
  if (!ReadWholeFile(path, bytes, error)) {
    note = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? "no state file yet: factory state"
               : "state file unreadable (error " + std::to_string(error) + "): factory state";
    return FactoryState();
  }
  KeyboardState state;
  std::string reason;
  if (!ParseState(bytes, state, reason)) {
    const std::wstring kept = path + L".damaged";
    CopyFileW(path.c_str(), kept.c_str(), FALSE);
    note = reason + "; kept as .damaged, factory state";
    return FactoryState();
  }
  note = "state loaded";
  return state;
}

bool SaveStateFile(const std::wstring& path, const KeyboardState& state) {
  const std::vector<std::uint8_t> bytes = SerializeState(state);
  const std::wstring temporary = path + L".new";
  {
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
      return false;
  }
  return MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::wstring DefaultStatePath() {
  wchar_t base[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  std::wstring folder = n > 0 && n < MAX_PATH ? std::wstring(base, n) : L".";
  folder += L"\\Q730X";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\virtual-keyboard.state";
}

}  // namespace q730x::vkb
