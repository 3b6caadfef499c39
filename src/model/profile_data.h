// The records of a profile and of the program-wide settings, byte for byte as
// the registry values and the profile files hold them (little-endian, UTF-16LE
// text with a terminating zero). Platform-free: no <windows.h>.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/key_code.h"

namespace q730x {

// The records are read and written as raw bytes; that is only their stored
// form on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

constexpr int kProfileCount = 5;

// One key's AuxInfo entry: a software action's path or address (at most 259
// units plus terminator), or a macro id in its first 32 bits.
struct AuxRecord {
  char16_t text[kAuxTextUnits]{};

  std::u16string_view Text() const;  // up to the terminator, never past the record
  void SetText(std::u16string_view text);  // cut to 259 units
  std::uint32_t MacroId() const;
  void SetMacroId(std::uint32_t id);  // the rest of the record is left alone
  void Clear() { *this = AuxRecord{}; }
};
static_assert(sizeof(AuxRecord) == 520);

using AuxInfoTable = std::array<AuxRecord, kMatrixPositions>;
static_assert(sizeof(AuxInfoTable) == 83200);

// Macro ids per profile and key: entry [profile * 160 + key], 0 = none.
using MacroUseTable = std::array<std::uint32_t, kProfileCount * kMatrixPositions>;
static_assert(sizeof(MacroUseTable) == 3200);

constexpr std::uint32_t kDefaultReportRate = 1000;

// The settings of one profile.
struct ConfigInfo {
  std::uint32_t reportRate = 0;          // reports per second: 125, 500 or 1000
  char16_t text[kAuxTextUnits]{};         // the profile's text field
  std::uint32_t valueA = 0;               // A..D are kept but not used
  std::uint32_t valueB = 0;
  std::uint32_t valueC = 0;
  std::uint32_t valueD = 0;

  // A new record: report rate 1000, empty text, A..D zero.
  static ConfigInfo Defaults();
  std::u16string_view Text() const;
};
static_assert(sizeof(ConfigInfo) == 540);
static_assert(offsetof(ConfigInfo, text) == 4);
static_assert(offsetof(ConfigInfo, valueA) == 524);
static_assert(offsetof(ConfigInfo, valueD) == 536);

// A program whose arrival in the foreground selects a profile.
struct ProgramLink {
  std::uint32_t enabled = 0;              // 1 on, 0 off
  char16_t program[kAuxTextUnits]{};      // file name only, no folder

  std::u16string_view Program() const;
};
static_assert(sizeof(ProgramLink) == 524);
static_assert(offsetof(ProgramLink, program) == 4);

using ProgramLinks = std::array<ProgramLink, kProfileCount>;
static_assert(sizeof(ProgramLinks) == 2620);

// Sizes of the stored values.
constexpr std::size_t kMatrixBytes = sizeof(KeyMatrix);
constexpr std::size_t kAuxInfoBytes = sizeof(AuxInfoTable);
constexpr std::size_t kMacroUseBytes = sizeof(MacroUseTable);
constexpr std::size_t kConfigInfoBytes = sizeof(ConfigInfo);
constexpr std::size_t kProCfgBytes = sizeof(ProgramLinks);

// A profile file: the four sections back to back, no header. Its
// MacroUseCount section is only 120 bytes long (the registry value has 3,200).
constexpr std::size_t kFileMacroUseCountBytes = 120;
constexpr std::size_t kFileMatrixOffset = 0;
constexpr std::size_t kFileAuxInfoOffset = kFileMatrixOffset + kMatrixBytes;
constexpr std::size_t kFileMacroUseCountOffset = kFileAuxInfoOffset + kAuxInfoBytes;
constexpr std::size_t kFileConfigInfoOffset = kFileMacroUseCountOffset + kFileMacroUseCountBytes;
constexpr std::size_t kProfileFileBytes = kFileConfigInfoOffset + kConfigInfoBytes;
static_assert(kFileAuxInfoOffset == 640 && kFileMacroUseCountOffset == 83840);
static_assert(kFileConfigInfoOffset == 83960 && kProfileFileBytes == 84500);

}  // namespace q730x
