// Small helpers over the registry calls the stores make: opening and
// creating keys with the stores' access rights, and fixed-size REG_BINARY
// values.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/win_handles.h"

namespace q730x {

// Read access plus set-value and create-subkey rights (KEY_READ | KEY_WRITE).
constexpr REGSAM kStoreAccess = 0x2001F;

// Opens an existing key; empty when it does not open.
UniqueRegKey OpenStoreKey(HKEY parent, const std::wstring& path);
// Opens an existing key for reading only (what a user without administrator
// rights may do with the store); empty, with the reason as the last error,
// when it does not open.
UniqueRegKey OpenStoreKeyForReading(HKEY parent, const std::wstring& path);
// Opens a key, creating it (non-volatile) when it is missing.
UniqueRegKey CreateStoreKey(HKEY parent, const std::wstring& path);

// Reads a value that must be REG_BINARY of exactly size bytes. On any other
// outcome (missing, another type, another size) returns false; out is then
// left unchanged.
bool ReadFixedBinary(HKEY key, const wchar_t* name, void* out, std::size_t size);

// Reads a value whole, however long. type receives its type.
bool ReadWholeValue(HKEY key, const wchar_t* name, std::vector<std::uint8_t>& bytes, DWORD& type);

bool WriteBinary(HKEY key, const wchar_t* name, const void* data, std::size_t size);

}  // namespace q730x
