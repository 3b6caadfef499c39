#include "model/key_caption.h"

#include "markup/language_table.h"
#include "markup/markup_text.h"
#include "model/key_name.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"

namespace q730x {

std::optional<std::wstring> StoredMacroName(std::uint32_t macroId) {
  std::optional<MacroRecord> record = LoadMacro(macroId);
  if (!record) return std::nullopt;
  return ToWide(record->name());
}

namespace {

MacroNameLookup g_macroName = StoredMacroName;

struct Shortcut {
  std::uint32_t code;
  const std::wstring* languageText;  // null: the fixed text
  const wchar_t* fixedText;
};

// The recognised shortcuts, in the order they are compared.
std::optional<std::wstring> ShortcutCaption(std::uint32_t code) {
  const Shortcut shortcuts[] = {
      {0x003D0400, &Language.str_close, nullptr},  {0x000F0800, &Language.str_lock, nullptr},
      {0x00150800, &Language.str_run, nullptr},    {0x00070800, nullptr, L"Win+D"},
      {0x00100800, nullptr, L"Win+M"},             {0x00140800, nullptr, L"Win+Q"},
      {0x00570800, &Language.str_screenzoomin, nullptr}, {0x00560800, &Language.str_screenzoomout, nullptr},
      {0x001B0100, &Language.str_cut, nullptr},    {0x00060100, &Language.str_copy, nullptr},
      {0x00190100, &Language.str_past, nullptr},   {0x00040100, &Language.str_all, nullptr},
      {0x00090100, &Language.str_find, nullptr},   {0x00110100, nullptr, L"Ctrl+N"},
      {0x00130100, nullptr, L"Ctrl+P"},            {0x00160100, nullptr, L"Ctrl+S"},
      {0x001D0100, nullptr, L"Ctrl+Z"},
  };
  for (const Shortcut& s : shortcuts) {
    if (s.code == code) return s.languageText ? *s.languageText : std::wstring(s.fixedText);
  }
  return std::nullopt;
}

std::wstring KeyCaptionOfUsage(std::uint8_t usage) { return KeyName(UsageToVirtualKey(usage)); }

std::wstring CombinationCaption(KeyCode code) {
  if (auto shortcut = ShortcutCaption(code.Value())) return *shortcut;
  std::wstring caption;
  const std::pair<std::uint8_t, const wchar_t*> modifiers[] = {
      {KM_SHIFT, L"Shift"}, {KM_CTRL, L"Ctrl"}, {KM_ALT, L"Alt"}, {KM_WIN, L"Win"}};
  for (const auto& [bit, name] : modifiers) {
    if (!(code.modifiers & bit)) continue;
    if (!caption.empty()) caption += L" + ";
    caption += name;
  }
  // Only the right-hand bits 0x10..0x80 set: the key name alone.
  if (caption.empty()) return KeyCaptionOfUsage(code.code);
  return caption + L" + " + KeyCaptionOfUsage(code.code);
}

std::wstring PlainKeyCaption(KeyCode code) {
  switch (code.code) {
    case MOUSE_LEFT: return code.extension == 1 ? Language.str_mouse_dbclick : Language.str_mouse_left;
    case MOUSE_RIGHT: return Language.str_mouse_right;
    case MOUSE_MIDDLE: return Language.str_mouse_middle;
    case MOUSE_NEXT: return Language.str_mouse_next;
    case MOUSE_PREV: return Language.str_mouse_pre;
    default: break;
  }
  if (IsMouseCode(code)) return std::wstring();  // 0xF5..0xFA have no name
  return KeyCaptionOfUsage(code.code);
}

std::wstring ActionCaption(KeyCode code, const AuxRecord& aux) {
  if ((code.extension & 0xF0) != 0xC0) return std::wstring();
  switch (code.extension & 0x0F) {
    case ACTION_CAPTURE_DESKTOP: return Language.str_cutpic1;
    case ACTION_CAPTURE_WINDOW: return Language.str_cutpic2;
    case ACTION_CAPTURE_REGION: return Language.str_cutpic3;
    case ACTION_OPEN_FOLDER: return Language.str_advanced_dir;
    case ACTION_OPEN_WEB: return Language.str_advanced_web;
    case ACTION_PLAY_SOUND:
    case ACTION_OPEN_FILE:
    case ACTION_RUN_PROGRAM: {
      // The file name: what follows the path's last backslash.
      const std::u16string_view path = aux.Text();
      const std::size_t slash = path.rfind(u'\\');
      if (slash == std::u16string_view::npos) return std::wstring();
      return ToWide(path.substr(slash + 1));
    }
    default: return std::wstring();
  }
}

std::wstring ConsumerCaption(std::uint16_t usage) {
  switch (usage) {
    case 0x00B5: return Language.str_next;
    case 0x00B6: return Language.str_pre;
    case 0x00B7: return Language.str_stop;
    case 0x00CD: return Language.str_play;
    case 0x00E2: return Language.str_mute;
    case 0x00E9: return Language.str_volup;
    case 0x00EA: return Language.str_voldown;
    case 0x0183: return Language.str_players;
    case 0x018A: return Language.str_mail;
    case 0x0192: return Language.str_cal;
    case 0x0194: return Language.str_explorer;
    case 0x0221: return Language.str_search;
    case 0x0223: return Language.str_home;
    case 0x0224: return Language.str_back;
    case 0x0225: return Language.str_forword;
    case 0x0227: return Language.str_refresh;
    default: return std::wstring();
  }
}

}  // namespace

std::wstring CaptionOfCode(KeyCode code, const AuxRecord& aux, const MacroNameLookup& macroName) {
  switch (code.type) {
    case KT_KEY:
      return code.modifiers == 0 ? PlainKeyCaption(code) : CombinationCaption(code);
    case KT_ACTION:
      return ActionCaption(code, aux);
    case KT_CONSUMER:
      return ConsumerCaption(ConsumerUsage(code));
    case KT_MACRO: {
      if (!macroName) return std::wstring();
      return macroName(aux.MacroId()).value_or(std::wstring());
    }
    case KT_LIGHTING:
      if (code.code == 1) return Language.str_light_effect;
      if (code.code == 2) return Language.str_light_level;
      return std::wstring();
    case KT_DISABLED:
      return Language.str_disable;
    default:
      return std::wstring();
  }
}

void SetMacroNameLookup(MacroNameLookup lookup) {
  g_macroName = lookup ? std::move(lookup) : MacroNameLookup(StoredMacroName);
}

std::wstring KeyCaption(int position) { return KeyCaption(position, g_macroName); }

std::wstring KeyCaption(int position, const MacroNameLookup& macroName) {
  if (position < 0 || position >= kMatrixPositions) return std::wstring();
  return CaptionOfCode(buffers::KeyMatrix[position], buffers::AuxInfo[position], macroName);
}

}  // namespace q730x
