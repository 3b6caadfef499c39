// Decoding of character references (&amp;, &#65;, &#x41;) in markup text.
#pragma once

#include <string>
#include <string_view>

namespace q730x {

// Appends text to out with every reference replaced by its character. A
// reference is '&', up to 9 ASCII characters and ';'. Numeric references give
// their code point; names are the HTML 4.01 entities plus apos, matched without
// regard to ASCII letter case. Anything that is not a valid reference (unknown
// name, code point 0, no ';' in reach) leaves the '&' as an ordinary character.
void AppendDecodedReferences(std::u16string_view text, std::u16string& out);

std::u16string DecodeReferences(std::u16string_view text);

}  // namespace q730x
