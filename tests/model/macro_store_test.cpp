// The macro store on the real registry: listing rules, first-write play
// mode, saving only existing macros, deleting, and values of another type.
#include "model/macro_store.h"

#include <gtest/gtest.h>

#include "model/key_caption.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "store_test_support.h"

namespace q730x {
namespace {

using test::ReadRaw;
using test::WriteRaw;

MacroRecord Sample(std::uint32_t id, std::u16string name, std::uint32_t mode = 2) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x41), MakeStep(STEP_RELEASE, 0x41)};
  MacroBuildInput in;
  in.id = id;
  in.name = std::move(name);
  in.repeatField = std::u16string(1, u'2');  // (a plain literal trips a GCC 12 warning)
  MacroRecord r = *BuildMacroRecord(steps, in);
  r.SetPlayMode(mode);
  return r;
}

std::wstring SubkeyPath(std::uint32_t id) {
  std::wstring path = kMacroRootPath;
  path += MacroSubkeyName(id);
  return path;
}

using MacroStoreTest = test::StoreTest;

TEST_F(MacroStoreTest, TheFirstWriteStoresTheChosenPlayModeAndLaterWritesChangeIt) {
  const MacroRoot root = DefaultMacroRoot();
  MacroRecord r = Sample(0x00012AB, u"First");  // mode 2
  ASSERT_TRUE(WriteMacro(root, r));  // creates the macro root too
  EXPECT_EQ(r.playMode(), 2u);
  EXPECT_EQ(MacroSubkeyName(0x12AB), L"000012ab");
  const test::RawValue stored = ReadRaw(SubkeyPath(0x12AB), L"");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(stored.bytes, r.bytes());
  EXPECT_EQ(LoadMacro(0x12AB)->playMode(), 2u);

  r.SetPlayMode(1);
  ASSERT_TRUE(WriteMacro(root, r));
  EXPECT_EQ(LoadMacro(0x12AB)->playMode(), 1u);
  EXPECT_EQ(ReadMacro(root, 0x12AB)->name(), u"First");
}

TEST_F(MacroStoreTest, SaveOnlyRewritesExistingMacrosAndRejectsBadRecords) {
  MacroRecord r = Sample(7, u"Seven");
  EXPECT_FALSE(SaveMacro(r));  // never creates
  EXPECT_FALSE(LoadMacro(7));
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), r));
  r.SetRepeatCount(9);
  EXPECT_TRUE(SaveMacro(r));
  EXPECT_EQ(LoadMacro(7)->repeatCount(), 9u);

  MacroRecord header;  // 64 bytes, no events
  header.SetFormat(kMacroFormat);
  header.SetSize(64);
  header.SetId(7);
  EXPECT_FALSE(SaveMacro(header));
  EXPECT_FALSE(WriteMacro(DefaultMacroRoot(), header));
  MacroRecord badFormat = Sample(7, u"x");
  badFormat.SetFormat(0x12340010);
  EXPECT_FALSE(SaveMacro(badFormat));
  EXPECT_EQ(LoadMacro(7)->repeatCount(), 9u);
}

TEST_F(MacroStoreTest, ListingShowsOnlyRecognisableBinaryRecords) {
  MacroRecord a = Sample(1, u"Alpha");
  MacroRecord b = Sample(2, u"Beta");
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), a));
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), b));
  // A record of another type, one shorter than its header, one whose format
  // is unknown but whose size field passes, and one failing both tests.
  WriteRaw(SubkeyPath(3), L"", REG_SZ, a.bytes());
  std::vector<std::uint8_t> shortBytes(a.bytes().begin(), a.bytes().begin() + 40);
  WriteRaw(SubkeyPath(4), L"", REG_BINARY, shortBytes);
  MacroRecord unknownFormat = Sample(5, u"Epsilon");
  unknownFormat.SetFormat(0);
  WriteRaw(SubkeyPath(5), L"", REG_BINARY, unknownFormat.bytes());
  MacroRecord neither = Sample(6, u"Zeta");
  neither.SetFormat(0);
  neither.SetSize(64);
  WriteRaw(SubkeyPath(6), L"", REG_BINARY, neither.bytes());
  // A header-only record with a good format passes.
  MacroRecord header = Sample(8, u"Eta");
  header.SetSize(64);
  WriteRaw(SubkeyPath(8), L"", REG_BINARY, header.bytes());

  std::vector<MacroListEntry> list = {{u"stale", 99}};
  ListMacros(DefaultMacroRoot(), list);
  std::vector<std::pair<std::u16string, std::uint32_t>> seen;
  for (const MacroListEntry& e : list) seen.push_back({e.name, e.id});
  EXPECT_EQ(seen, (std::vector<std::pair<std::u16string, std::uint32_t>>{
                      {u"Alpha", 1}, {u"Beta", 2}, {u"Epsilon", 5}, {u"Eta", 8}}));
  EXPECT_FALSE(LoadMacro(3));  // another type
  EXPECT_FALSE(LoadMacro(4));  // shorter than the header
  EXPECT_TRUE(LoadMacro(5));

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kStoreRootPath);
  ListMacros(DefaultMacroRoot(), list);
  EXPECT_TRUE(list.empty());
}

TEST_F(MacroStoreTest, DeleteRemovesTheMacroAndSucceedsWithoutARoot) {
  EXPECT_TRUE(DeleteMacro(DefaultMacroRoot(), 5));  // no macro root at all
  MacroRecord r = Sample(5, u"Five");
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), r));
  EXPECT_TRUE(DeleteMacro(DefaultMacroRoot(), 5));
  EXPECT_FALSE(test::KeyExists(SubkeyPath(5)));
  EXPECT_FALSE(LoadMacro(5));
  EXPECT_FALSE(DeleteMacro(DefaultMacroRoot(), 5));  // nothing left to delete
}

TEST_F(MacroStoreTest, AMacroKeyIsCaptionedWithItsStoredMacrosName) {
  const int position = 17;
  buffers::KeyMatrix[position] = MakeMacroCode();
  buffers::AuxInfo[position].SetMacroId(0x2A);
  EXPECT_EQ(KeyCaption(position), L"");  // no such macro yet
  MacroRecord reload = Sample(0x2A, u"Reload");
  ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), reload));
  EXPECT_EQ(KeyCaption(position), L"Reload");
  ASSERT_TRUE(DeleteMacro(DefaultMacroRoot(), 0x2A));
  EXPECT_EQ(KeyCaption(position), L"");
}

TEST_F(MacroStoreTest, ANewIdNeverEqualsAStoredOne) {
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t id = MakeNewMacroId(DefaultMacroRoot());
    ASSERT_NE(id, 0u);
    EXPECT_LE(id, kMaxMacroId);
    EXPECT_FALSE(LoadMacro(id));
    MacroRecord r = Sample(id, u"new");
    ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), r));
  }
  std::vector<MacroListEntry> list;
  ListMacros(DefaultMacroRoot(), list);
  EXPECT_EQ(list.size(), 3u);
}

}  // namespace
}  // namespace q730x
