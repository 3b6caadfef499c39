// The language table: every text the interface shows, filled once at start-up
// from language.xml next to the program. A text that the file lacks stays
// empty; there is no built-in fallback language. Platform-free.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>

namespace q730x {

struct LanguageTable {
  std::wstring str_about_title, str_about, str_title, str_restore, str_config, str_version;
  std::wstring str_fwversion, str_fwupdate, str_check_new, str_device_prompt, str_relate_prompt;
  std::wstring str_updateprompt1, str_updateprompt2, str_updateprompt3, str_updateerror3;
  std::wstring str_updateerror4, str_updateerror5, str_updateerror, str_updateerror1;
  std::wstring str_updateerror2, str_updating, str_updateover1, str_updateover2, str_updateover3;
  std::wstring str_updateover4, str_savesetting, str_unconnected, str_autopath, str_profile_title;
  std::wstring str_profile_caption, str_relate_program, str_breath, str_keyboard_area;
  std::wstring str_keyboard_area1, str_keyboard_area2, str_keyboard_area3, str_light_level;
  std::wstring str_breath_model, str_breath_auto, str_breath_normal, str_buttondefault;
  std::wstring str_buttonedit, str_singlecomb, str_macro, str_keyboard_config, str_base;
  std::wstring str_advanced, str_media, str_mouse, str_OK, str_Cancel, str_Apply, str_keyboard;
  std::wstring str_performance, str_light_config, str_light_effect, str_light, str_light_proset;
  std::wstring str_light_userdefine, str_light_normallyon, str_light_slowbreath;
  std::wstring str_light_quickbreath, str_light_apm, str_light_circulation, str_baseinfo;
  std::wstring str_mouseinfo, str_macro_set, str_macro_new, str_macro_start, str_macro_del;
  std::wstring str_macro_delitem, str_macro_insert5, str_macro_modify, str_macro_insert1;
  std::wstring str_macro_insert3, str_macro_insert4, str_macro_editor, str_macro_end;
  std::wstring str_macrolimit, str_macro_loop, str_macro_msg, str_macro_msg2, str_macro_msg3;
  std::wstring str_mouse_left, str_mouse_right, str_mouse_middle, str_mouse_dbclick, str_mouse_pre;
  std::wstring str_mouse_next, str_close, str_lock, str_run, str_show, str_cut, str_copy, str_past;
  std::wstring str_all, str_find, str_new, str_print, str_save, str_undo, str_classic;
  std::wstring str_allprogram, str_screenzoomin, str_screenzoomout, str_advanced_open;
  std::wstring str_advanced_sound, str_advanced_exe, str_advanced_file, str_advanced_dir;
  std::wstring str_advanced_web, str_advanced_address, str_players, str_play, str_stop, str_pre;
  std::wstring str_next, str_voldown, str_volup, str_mute, str_back, str_forword, str_refresh;
  std::wstring str_search, str_home, str_mail, str_explorer, str_cal, str_cutpic1, str_cutpic2;
  std::wstring str_cutpic3, str_exit, str_configuration, str_rate_title, str_disable, str_msg5;
  std::wstring str_msg6, str_msg7, str_macro_list, str_macro_event, str_macro_playstyle2;
  std::wstring str_macro_playstyle3;
  // The notification that the utility runs in the notification area.
  std::wstring str_tray_hint;
  // The keyboard page: leaving a profile with unapplied edits.
  std::wstring str_unapplied_prompt;
  // A key's program, file, folder or address that could not be started with
  // the user's own rights, and is therefore not started at all.
  std::wstring str_launch_refused;
};

constexpr std::size_t kLanguageKeyCount = 146;
// str_light_effect is looked up twice.
constexpr std::size_t kLanguageLookupCount = 147;

struct LanguageKey {
  const char16_t* name;
  std::wstring LanguageTable::*text;
};

// The keys in the order the file is read.
extern const std::array<LanguageKey, kLanguageLookupCount> kLanguageLoadOrder;

// The process-wide table, read by every window.
extern LanguageTable Language;

// Fills table from the file at path. When the file cannot be read or is not
// well-formed, returns false and assigns nothing; otherwise every key gets the
// text of its element in the file's config section, empty when it has none.
bool LoadLanguageTable(const std::filesystem::path& path, LanguageTable& table);

// Start-up's call: loads the process-wide table; failures leave it empty.
void LoadLanguage(const std::filesystem::path& path);

}  // namespace q730x
