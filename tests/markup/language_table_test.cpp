// The language table: which texts a language file gives, the failure rules,
// and the language files we ship.
#include "markup/language_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "markup_test_text.h"

namespace q730x {
namespace {

class LanguageTableTest : public testing::Test {
 protected:
  std::filesystem::path Write(std::string_view bytes) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "q730x_language_test.xml";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  void TearDown() override { std::filesystem::remove(std::filesystem::temp_directory_path() / "q730x_language_test.xml"); }

  static std::size_t NonEmpty(const LanguageTable& table) {
    std::set<const std::wstring*> seen;
    for (const LanguageKey& key : kLanguageLoadOrder) {
      if (!(table.*key.text).empty()) seen.insert(&(table.*key.text));
    }
    return seen.size();
  }
};

TEST_F(LanguageTableTest, LoadOrderCoversEveryKeyOnce) {
  std::set<std::u16string> names;
  LanguageTable table;
  std::set<const std::wstring*> members;
  for (const LanguageKey& key : kLanguageLoadOrder) {
    names.insert(key.name);
    members.insert(&(table.*key.text));
  }
  EXPECT_EQ(names.size(), kLanguageKeyCount);
  EXPECT_EQ(members.size(), kLanguageKeyCount);
  EXPECT_EQ(std::u16string(kLanguageLoadOrder[55].name), u"str_light_effect");
  EXPECT_EQ(std::u16string(kLanguageLoadOrder[59].name), u"str_light_effect");
}

TEST_F(LanguageTableTest, OneKeyFile) {
  LanguageTable table;
  ASSERT_TRUE(LoadLanguageTable(Write("<language><config><str_OK>Okay</str_OK></config></language>"), table));
  EXPECT_EQ(table.str_OK, L"Okay");
  EXPECT_EQ(NonEmpty(table), 1u);
}

TEST_F(LanguageTableTest, NamesAreMatchedExactly) {
  LanguageTable table;
  ASSERT_TRUE(LoadLanguageTable(
      Write("<l><config><STR_OK>x</STR_OK><str_ok>y</str_ok><str_Cancel>No</str_Cancel></config></l>"), table));
  EXPECT_EQ(table.str_OK, L"");
  EXPECT_EQ(table.str_Cancel, L"No");
}

TEST_F(LanguageTableTest, UnusableFilesAssignNothing) {
  LanguageTable table;
  table.str_OK = L"before";
  table.str_title = L"title";
  EXPECT_FALSE(LoadLanguageTable(Write("<l><config><str_OK>x</str_OK></config></l><second/>"), table));
  EXPECT_FALSE(LoadLanguageTable(Write("<l><config><str_OK>x</str_OK></config>"), table));
  EXPECT_FALSE(LoadLanguageTable(Write(""), table));
  EXPECT_FALSE(LoadLanguageTable(std::filesystem::temp_directory_path() / "q730x_no_language.xml", table));
  EXPECT_EQ(table.str_OK, L"before");
  EXPECT_EQ(table.str_title, L"title");
}

TEST_F(LanguageTableTest, AWellFormedFileAssignsEveryKeyEvenWhenMissing) {
  LanguageTable table;
  table.str_title = L"old";
  ASSERT_TRUE(LoadLanguageTable(Write("<l><other><str_title>x</str_title></other></l>"), table));
  EXPECT_EQ(table.str_title, L"");
}

TEST_F(LanguageTableTest, TextRules) {
  LanguageTable table;
  ASSERT_TRUE(LoadLanguageTable(Write("<l><config>"
                                      "<str_version>Version V1.0 </str_version>"
                                      "<str_OK>first</str_OK><str_OK>second</str_OK>"
                                      "<str_Cancel><![CDATA[<Cancel>]]></str_Cancel>"
                                      "<str_Apply>A<b/>pply</str_Apply>"
                                      "<str_about>Line&#10;two &amp; three</str_about>"
                                      "<config><str_exit>nested</str_exit></config>"
                                      "<str_ignored>x</str_ignored>"
                                      "</config></l>"),
                                table));
  EXPECT_EQ(table.str_version, L"Version V1.0 ");  // white space stays
  EXPECT_EQ(table.str_OK, L"first");
  EXPECT_EQ(table.str_Cancel, L"<Cancel>");
  EXPECT_EQ(table.str_Apply, L"");
  EXPECT_EQ(table.str_about, L"Line\ntwo & three");
  EXPECT_EQ(table.str_exit, L"nested");
}

TEST_F(LanguageTableTest, EveryEncodingGivesTheSameTexts) {
  const std::string body = "<l><config><str_OK>\xE7\xA1\xAE\xE5\xAE\x9A</str_OK></config></l>";  // 确定 in UTF-8
  std::u16string wide = test::U16(body);
  std::string utf16le = "\xFF\xFE";
  for (char16_t c : wide) {
    utf16le += static_cast<char>(c & 0xFF);
    utf16le += static_cast<char>(c >> 8);
  }
  const std::string gb2312 =
      "<?xml version=\"1.0\" encoding=\"gb2312\"?><l><config><str_OK>\xC8\xB7\xB6\xA8</str_OK></config></l>";
  for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body, utf16le, gb2312}) {
    LanguageTable table;
    ASSERT_TRUE(LoadLanguageTable(Write(bytes), table));
    EXPECT_EQ(table.str_OK, L"\u786E\u5B9A");
  }
}

TEST_F(LanguageTableTest, ShippedFilesGiveEveryText) {
  // Tests run in tests-bin; the deployable folder is its sibling dist.
  const std::filesystem::path dist = std::filesystem::current_path().parent_path() / "dist";
  LanguageTable english;
  ASSERT_TRUE(LoadLanguageTable(dist / "language.xml", english));
  EXPECT_EQ(NonEmpty(english), kLanguageKeyCount);
  EXPECT_EQ(english.str_OK, L"OK");
  ASSERT_GE(english.str_version.size(), 4u);
  EXPECT_EQ(english.str_version.substr(english.str_version.size() - 4), L"V1.0");

  LanguageTable chinese;
  ASSERT_TRUE(LoadLanguageTable(dist / "lang" / "zh-CN" / "language.xml", chinese));
  EXPECT_EQ(NonEmpty(chinese), kLanguageKeyCount);
  EXPECT_EQ(chinese.str_OK, L"\u786E\u5B9A");
  EXPECT_EQ(chinese.str_version.substr(chinese.str_version.size() - 4), L"V1.0");
  EXPECT_NE(chinese.str_title, english.str_title);
}

TEST_F(LanguageTableTest, LoadLanguageFillsTheProcessTable) {
  Language = LanguageTable{};
  LoadLanguage(Write("<l><config><str_title>T</str_title></config></l>"));
  EXPECT_EQ(Language.str_title, L"T");
  LoadLanguage(Write("not markup"));
  EXPECT_EQ(Language.str_title, L"T");
  Language = LanguageTable{};
}

}  // namespace
}  // namespace q730x
