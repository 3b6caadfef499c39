// Text helpers shared by the markup reader. The reader keeps its text as
// UTF-16 in std::u16string, whatever the size of wchar_t on the platform, so
// that it builds and behaves the same natively (wchar_t of 4 bytes) and in the
// Windows program (wchar_t of 2 bytes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace q730x {

// ASCII text (no byte of 0x80 or more) as UTF-16.
std::u16string Utf16FromAscii(std::string_view ascii);

// The decimal digits of a number appended to a text.
void AppendNumber(std::u16string& text, std::uint64_t number);

// Appends one code point, as a surrogate pair when above 0xFFFF.
void AppendCodePoint(std::u16string& text, std::uint32_t codePoint);

// UTF-16 to the platform's wide text and back (a copy where wchar_t is
// 16 bits; surrogate pairs joined or split where it is 32 bits).
std::wstring ToWide(std::u16string_view text);
std::u16string FromWide(std::wstring_view text);

constexpr char16_t AsciiLower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

// The offset of the first unit c at or after from, or npos. Eight units are
// tested at a time: the scans for '<' and '>' are the reader's hot loops.
std::size_t FindUnit(std::u16string_view text, char16_t c, std::size_t from);

// Equal when the texts differ at most in the letter case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

constexpr bool IsMarkupSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

}  // namespace q730x
