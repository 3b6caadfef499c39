// The keyboard page's layout table: the shape that the page, the picture and
// the configuration download rely on.
#include <gtest/gtest.h>

#include <set>

#include "model/key_layout_table.h"

namespace q730x {
namespace {

bool Overlap(const KeyLayoutEntry& a, const KeyLayoutEntry& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(KeyLayoutTable, UsedEntriesAreDistinctKeysWithSeparateCapsOnThePage) {
  std::set<int> positions;
  for (std::size_t i = 0; i < kKeyLayoutUsedEntries; ++i) {
    const KeyLayoutEntry& k = KeyLayoutTable[i];
    SCOPED_TRACE(i);
    EXPECT_TRUE(positions.insert(k.position).second) << "position used twice";
    EXPECT_GE(k.position, 0);
    EXPECT_LT(k.position, 144);
    EXPECT_LT(k.left, k.right);
    EXPECT_LT(k.top, k.bottom);
    EXPECT_GE(k.left, 0);
    EXPECT_LE(k.right, 822);
    EXPECT_GE(k.top, 0);
    EXPECT_LE(k.bottom, 448);
    // A key button cuts exactly one cap out of the picture.
    for (std::size_t j = i + 1; j < kKeyLayoutUsedEntries; ++j)
      EXPECT_FALSE(Overlap(k, KeyLayoutTable[j])) << "overlaps entry " << j;
  }
  EXPECT_EQ(positions.size(), 90u);
  // The keypad positions of the matrix are not on the page.
  for (int keypad : {88, 89, 90}) EXPECT_EQ(positions.count(keypad), 0u);
  EXPECT_EQ(KeyLayoutTable[32].position, 0);  // Pause
}

TEST(KeyLayoutTable, AWalkVisitsEveryEntryAndPositionZeroFiftyFiveTimes) {
  int zeroVisits = 0;
  for (const KeyLayoutEntry& k : KeyLayoutTable)
    if (k.position == 0) ++zeroVisits;
  EXPECT_EQ(KeyLayoutTable.size(), 144u);
  EXPECT_EQ(zeroVisits, 55);
  for (std::size_t i = kKeyLayoutUsedEntries; i < kKeyLayoutEntries; ++i) {
    const KeyLayoutEntry& k = KeyLayoutTable[i];
    EXPECT_TRUE(k.position == 0 && k.left == 0 && k.top == 0 && k.right == 0 && k.bottom == 0)
        << "entry " << i << " is not empty";
  }
}

}  // namespace
}  // namespace q730x
