// Key names on the US layout and the caption of every kind of key function.
#include "model/key_caption.h"

#include <gtest/gtest.h>

#include "markup/language_table.h"
#include "model/key_name.h"
#include "model/profile_buffers.h"

namespace q730x {
namespace {

TEST(KeyName, FixedAndLayoutNames) {
  EXPECT_EQ(KeyName(0), L"");
  EXPECT_EQ(KeyName(255), L"");
  EXPECT_EQ(KeyName(0xA1), L"Shift");
  EXPECT_EQ(KeyName(0xA0), L"LShift");
  EXPECT_EQ(KeyName(0x6C), L"\\");
  EXPECT_EQ(KeyName(0x67), L"Num 7");
  EXPECT_EQ(KeyName(0x7B), L"F12");
  EXPECT_EQ(KeyName(0x41), L"A");   // from the layout, in upper case
  EXPECT_EQ(KeyName(0x35), L"5");
  EXPECT_EQ(KeyName(0xBA), L";");   // unshifted character on a US layout
  EXPECT_EQ(KeyName(0xDE), L"'");
  EXPECT_EQ(KeyName(0x1000), L"");  // no such key
}

class KeyCaptionTest : public testing::Test {
 protected:
  void SetUp() override {
    buffers::ClearAll();
    Language = LanguageTable{};
    Language.str_close = L"Close window";
    Language.str_copy = L"Copy";
    Language.str_mouse_next = L"Forward button";
    Language.str_mouse_dbclick = L"Double click";
    Language.str_mouse_left = L"Left button";
    Language.str_cutpic2 = L"Capture window";
    Language.str_advanced_dir = L"Open folder";
    Language.str_mute = L"Mute";
    Language.str_light_effect = L"Lighting effect";
    Language.str_light_level = L"Lighting brightness";
    Language.str_disable = L"Disable key";
  }
  void TearDown() override {
    SetMacroNameLookup(nullptr);
    buffers::ClearAll();
    Language = LanguageTable{};
  }
  static std::wstring At(std::uint32_t code, int position = 17) {
    buffers::KeyMatrix[position] = KeyCode::FromValue(code);
    return KeyCaption(position);
  }
};

TEST_F(KeyCaptionTest, PlainKeysAndMouse) {
  EXPECT_EQ(At(0x00000000), L"");
  EXPECT_EQ(At(0x00040000), L"A");
  EXPECT_EQ(At(0x00F30000), L"Forward button");
  EXPECT_EQ(At(0x01F00000), L"Double click");
  EXPECT_EQ(At(0x00F00000), L"Left button");
  EXPECT_EQ(At(0x00F50000), L"");
  EXPECT_EQ(KeyCaption(160), L"");
  EXPECT_EQ(KeyCaption(-1), L"");
}

TEST_F(KeyCaptionTest, Combinations) {
  EXPECT_EQ(At(0x003D0400), L"Close window");
  EXPECT_EQ(At(0x003D0500), L"Ctrl + Alt + F4");
  EXPECT_EQ(At(0x00070800), L"Win+D");
  EXPECT_EQ(At(0x00070900), L"Ctrl + Win + D");
  EXPECT_EQ(At(0x00060100), L"Copy");
  EXPECT_EQ(At(0x00040300), L"Shift + Ctrl + A");
  EXPECT_EQ(At(0x00000200), L"Shift + ");
  EXPECT_EQ(At(0x00041000), L"A");  // right-hand bits only: the key name alone
  EXPECT_EQ(At(0x001D0100), L"Ctrl+Z");
}

TEST_F(KeyCaptionTest, ActionsConsumerLightingDisabled) {
  buffers::AuxInfo[17].SetText(u"C:\\docs\\a.txt");
  EXPECT_EQ(At(0xC5110003), L"a.txt");
  buffers::AuxInfo[17].SetText(u"a.txt");
  EXPECT_EQ(At(0xC5110003), L"");
  buffers::AuxInfo[17].SetText(u"");
  EXPECT_EQ(At(0xC7110003), L"");
  EXPECT_EQ(At(0xC2110003), L"Capture window");
  EXPECT_EQ(At(0xC6110003), L"Open folder");
  EXPECT_EQ(At(0xC9110003), L"");  // kind 9 is no action
  EXPECT_EQ(At(0x05110003), L"");  // high bits not 0xC
  EXPECT_EQ(At(0x00E20004), L"Mute");
  EXPECT_EQ(At(0x02260004), L"");  // web stop has no caption
  EXPECT_EQ(At(0x0001000E), L"Lighting effect");
  EXPECT_EQ(At(0x0002000E), L"Lighting brightness");
  EXPECT_EQ(At(0x0000000E), L"");
  EXPECT_EQ(At(0x0000000F), L"Disable key");
  EXPECT_EQ(At(0x00000007), L"");
}

TEST_F(KeyCaptionTest, MacroKeysShowTheMacroName) {
  buffers::AuxInfo[20].SetMacroId(0x123456);
  EXPECT_EQ(At(0x00000008, 20), L"");  // no lookup yet
  SetMacroNameLookup([](std::uint32_t id) -> std::optional<std::wstring> {
    if (id == 0x123456) return L"Combo";
    return std::nullopt;
  });
  EXPECT_EQ(At(0x00000008, 20), L"Combo");
  buffers::AuxInfo[20].SetMacroId(0x999);  // a deleted macro
  EXPECT_EQ(At(0x00000008, 20), L"");
}

}  // namespace
}  // namespace q730x
