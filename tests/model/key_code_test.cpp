// Key codes: every kind composes and reads back, the usage table keeps its
// first-match order, and the factory matrix holds the factory codes.
#include "model/key_code.h"

#include <set>

#include <gtest/gtest.h>

using namespace q730x;

TEST(KeyCodeTest, ValueIsLittleEndianBytes) {
  KeyCode c = KeyCode::FromValue(0x003D0400);
  EXPECT_EQ(c.type, 0x00);
  EXPECT_EQ(c.modifiers, 0x04);
  EXPECT_EQ(c.code, 0x3D);
  EXPECT_EQ(c.extension, 0x00);
  EXPECT_EQ(c.Value(), 0x003D0400u);
}

TEST(KeyCodeTest, MakersGiveTheDocumentedNumbers) {
  EXPECT_EQ(MakeKeyCode(0x06, KM_CTRL).Value(), 0x00060100u);  // Ctrl+C
  EXPECT_EQ(MakeKeyCode(0xE2).Value(), 0x00E20000u);           // left Alt on its own
  EXPECT_EQ(MakeKeyCode(0x0F, KM_WIN).Value(), 0x000F0800u);   // Win+L
  EXPECT_EQ(MakeDoubleClickCode().Value(), 0x01F00000u);
  EXPECT_EQ(MakeActionCode(ACTION_PLAY_SOUND, 37).Value(), 0xC4250003u);
  EXPECT_EQ(MakeActionCode(ACTION_OPEN_WEB, 159).Value(), 0xC89F0003u);
  EXPECT_EQ(MakeConsumerCode(0x00E2).Value(), 0x00E20004u);
  EXPECT_EQ(MakeConsumerCode(0x0183).Value(), 0x01830004u);
  EXPECT_EQ(MakeMacroCode().Value(), 0x00000008u);
  EXPECT_EQ(MakeKeyboardMacroCode(2, 0).Value(), 0xFF010208u);
  EXPECT_EQ(MakeLightingCode(1).Value(), 0x0001000Eu);
  EXPECT_EQ(MakeDisabledCode().Value(), 0x0000000Fu);
}

TEST(KeyCodeTest, ReadersTakeCodesApart) {
  KeyCode combo = KeyCode::FromValue(0x00070900);  // Ctrl+Win+D
  EXPECT_TRUE(IsCombination(combo));
  EXPECT_FALSE(IsCombination(KeyCode::FromValue(0x00E20000)));
  EXPECT_FALSE(IsCombination(KeyCode::FromValue(0x00000104)));  // not a KT_KEY code

  EXPECT_TRUE(IsDoubleClick(KeyCode::FromValue(0x01F00000)));
  EXPECT_FALSE(IsDoubleClick(KeyCode::FromValue(0x00F00000)));
  EXPECT_TRUE(IsMouseCode(KeyCode::FromValue(0x00FA0000)));
  EXPECT_FALSE(IsMouseCode(KeyCode::FromValue(0x00FB0000)));

  KeyCode action = KeyCode::FromValue(0xC89F0003);
  EXPECT_EQ(ActionKindOf(action), 8u);
  EXPECT_EQ(ActionPosition(action), 159u);
  EXPECT_EQ(EventWord(action), 0xC89F);
  EXPECT_TRUE(IsActionEventWord(0xC89F));
  EXPECT_FALSE(IsActionEventWord(0x809F));
  EXPECT_EQ(EventWordKind(0xC89F), 8u);
  EXPECT_EQ(EventWordPosition(0xC89F), 159u);

  EXPECT_EQ(ConsumerUsage(KeyCode::FromValue(0x022A0004)), 0x022A);

  KeyCode slotCode = MakeKeyboardMacroCode(3, 29);
  EXPECT_TRUE(IsKeyboardMacroForm(slotCode));
  EXPECT_FALSE(IsKeyboardMacroForm(MakeMacroCode()));
  EXPECT_EQ(MacroPlayMode(slotCode), 3u);
  EXPECT_EQ(MacroSlot(slotCode), 29u);

  EXPECT_EQ(LightingFunction(KeyCode::FromValue(0x0002000E)), 2u);
  EXPECT_TRUE(IsNoFunction(KeyCode{}));
}

TEST(KeyUsageTableTest, HoldsTheFullTableWithoutGaps) {
  // A short initializer list would leave zero pairs at the end.
  std::set<int> usages;
  for (const UsagePair& p : KeyUsageTable) {
    EXPECT_NE(p.usage, 0);
    EXPECT_NE(p.virtualKey, 0);
    usages.insert(p.usage);
  }
  EXPECT_EQ(usages.size(), KeyUsageTable.size());  // every usage occurs once
  EXPECT_EQ(KeyUsageTable.front().usage, 0x29);
  EXPECT_EQ(KeyUsageTable.back().usage, MOUSE_MIDDLE);
}

TEST(KeyUsageTableTest, ConvertsBothWaysWithFirstMatchWinning) {
  EXPECT_EQ(VirtualKeyToUsage(0x0D), 0x28);  // Enter, never keypad Enter
  EXPECT_EQ(UsageToVirtualKey(0x58), 0x0D);
  EXPECT_EQ(UsageToVirtualKey(0x28), 0x0D);
  EXPECT_EQ(VirtualKeyToUsage(0x41), 0x04);
  EXPECT_EQ(UsageToVirtualKey(0x1D), 0x5A);
  EXPECT_EQ(UsageToVirtualKey(0x27), 0x30);  // 0 comes after 9
  EXPECT_EQ(UsageToVirtualKey(0x62), 0x60);  // keypad 0
  EXPECT_EQ(UsageToVirtualKey(0xE7), 0x5C);
  EXPECT_EQ(UsageToVirtualKey(MOUSE_LEFT), 0x01);
  EXPECT_EQ(UsageToVirtualKey(0x64), 0);
  EXPECT_EQ(UsageToVirtualKey(0x87), 0);
  EXPECT_EQ(UsageToVirtualKey(MOUSE_NEXT), 0);
  EXPECT_EQ(UsageToVirtualKey(MOUSE_PREV), 0);
  EXPECT_EQ(VirtualKeyToUsage(0x05), 0);
  // Every virtual key but the doubled 0x0D finds its way back to its own usage.
  for (const UsagePair& p : KeyUsageTable)
    if (p.usage != 0x58) {
      EXPECT_EQ(VirtualKeyToUsage(p.virtualKey), p.usage) << int(p.usage);
    }
}

TEST(DefaultMatrixTest, HoldsTheFactoryCodes) {
  DefaultMatrix = KeyMatrix{};
  DefaultMatrix[2] = MakeDisabledCode();  // stale contents must be cleared
  BuildDefaultMatrix();
  EXPECT_EQ(DefaultMatrix[0].Value(), 0x00480000u);    // Pause
  EXPECT_EQ(DefaultMatrix[1].Value(), 0x00010002u);
  EXPECT_EQ(DefaultMatrix[2].Value(), 0u);
  EXPECT_EQ(DefaultMatrix[17].Value(), 0x00390000u);   // Caps Lock
  EXPECT_EQ(DefaultMatrix[74].Value(), 0x0000000Fu);
  EXPECT_EQ(DefaultMatrix[116].Value(), 0x00CD0004u);
  EXPECT_EQ(DefaultMatrix[120].Value(), 0x0001000Eu);
  EXPECT_EQ(DefaultMatrix[147].Value(), 0x00030007u);
  EXPECT_EQ(DefaultMatrix[150].Value(), 0x0000000Eu);
  for (int p = 151; p < kMatrixPositions; ++p) EXPECT_EQ(DefaultMatrix[p].Value(), 0u) << p;
  EXPECT_EQ(DefaultMatrix, FactoryMatrix());

  // The 640 bytes are the codes in position order, each little-endian.
  const std::uint8_t* b = DefaultMatrix.bytes();
  EXPECT_EQ(b[0], 0x00);
  EXPECT_EQ(b[2], 0x48);
  EXPECT_EQ(b[139 * 4 + 2], 0x94);
  EXPECT_EQ(b[139 * 4 + 3], 0x01);
}
