// Interface texts for the pages, by language key (str_OK, str_updating, ...).
// The application hands in its language table as the source; until it does,
// every text is empty, as with a missing language file.
#pragma once

#include <string>
#include <string_view>

namespace q730x {

using LanguageTextSource = std::wstring (*)(std::wstring_view key);

void SetLanguageTextSource(LanguageTextSource source);
std::wstring LanguageText(std::wstring_view key);

}  // namespace q730x
