// UTF-8 as the markup reader understands it: the detection test for files
// that declare no encoding, and the conversion to UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace q730x {

// True when the bytes (up to the first zero byte) form complete sequences: a
// byte of 0x80 or more starts a sequence whose length its high bits give,
// and every following byte of the sequence has its top bit set.
bool PassesUtf8Test(std::string_view bytes);

// Appends the UTF-16 form of UTF-8 bytes, decoded as PassesUtf8Test reads
// them. A broken sequence, a code point above 0x10FFFF or a surrogate code
// point gives U+FFFD, and decoding goes on after the sequence's first byte.
void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out);

}  // namespace q730x
