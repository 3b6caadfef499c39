#include "markup/access_texts.h"

#include "markup/markup_doc.h"
#include "markup/markup_text.h"

namespace q730x {

AccessTexts Access;

bool LoadAccessTexts(const std::filesystem::path& path, AccessTexts& texts) {
  MarkupDoc doc;
  if (!doc.Load(path)) return false;
  const struct {
    const char16_t* name;
    std::wstring AccessTexts::*text;
  } keys[] = {
      {u"str_minimize", &AccessTexts::str_minimize},
      {u"str_macro_count", &AccessTexts::str_macro_count},
      {u"str_macro_value", &AccessTexts::str_macro_value},
      {u"str_step_down", &AccessTexts::str_step_down},
      {u"str_step_up", &AccessTexts::str_step_up},
      {u"str_step_pause", &AccessTexts::str_step_pause},
      {u"str_scroll_vertical", &AccessTexts::str_scroll_vertical},
      {u"str_scroll_horizontal", &AccessTexts::str_scroll_horizontal},
  };
  for (const auto& key : keys) texts.*key.text = ToWide(doc.GetSectionValue(u"config", key.name));
  return true;
}

void LoadAccessTexts(const std::filesystem::path& path) { LoadAccessTexts(path, Access); }

}  // namespace q730x
