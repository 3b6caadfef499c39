#include "pages/language_text.h"

namespace q730x {

namespace {
LanguageTextSource currentSource = nullptr;
}

void SetLanguageTextSource(LanguageTextSource source) { currentSource = source; }

std::wstring LanguageText(std::wstring_view key) {
  return currentSource ? currentSource(key) : std::wstring();
}

}  // namespace q730x
