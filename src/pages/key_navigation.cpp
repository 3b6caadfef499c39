#include "pages/key_navigation.h"

#include <climits>
#include <cstdlib>

#include "model/key_layout_table.h"

namespace q730x {

namespace {

bool Usable(const KeyLayoutEntry& key) { return key.right > key.left && key.bottom > key.top; }
// Centres doubled, to stay in integers.
int CentreX(const KeyLayoutEntry& key) { return key.left + key.right; }
int CentreY(const KeyLayoutEntry& key) { return key.top + key.bottom; }
// Whether two keys share a row: each one's vertical centre lies within the other.
bool SameRow(const KeyLayoutEntry& a, const KeyLayoutEntry& b) {
  return CentreY(b) > 2 * a.top && CentreY(b) < 2 * a.bottom && CentreY(a) > 2 * b.top &&
         CentreY(a) < 2 * b.bottom;
}
bool Overlap(int aLow, int aHigh, int bLow, int bHigh) { return aLow < bHigh && bLow < aHigh; }

}  // namespace

int NextKeyEntry(int entry, KeyStep step) {
  if (entry < 0 || entry >= int(kKeyLayoutEntries) || !Usable(KeyLayoutTable[entry])) return entry;
  const KeyLayoutEntry& from = KeyLayoutTable[entry];
  int best = entry;
  long bestScore = LONG_MAX;
  bool bestLevel = false;
  for (int i = 0; i < int(kKeyLayoutEntries); ++i) {
    const KeyLayoutEntry& key = KeyLayoutTable[i];
    if (i == entry || !Usable(key)) continue;
    const int dx = CentreX(key) - CentreX(from), dy = CentreY(key) - CentreY(from);
    long score = 0;
    bool level = false;  // lies beside the key, not only diagonally
    switch (step) {
      case KeyStep::Left:
      case KeyStep::Right:
        if (step == KeyStep::Left ? dx >= 0 : dx <= 0) continue;
        level = Overlap(from.top, from.bottom, key.top, key.bottom);
        score = std::labs(dx) + 4L * std::labs(dy);
        break;
      case KeyStep::Up:
      case KeyStep::Down:
        if (step == KeyStep::Up ? dy >= 0 : dy <= 0) continue;
        level = Overlap(from.left, from.right, key.left, key.right);
        score = std::labs(dy) + 2L * std::labs(dx);
        break;
      case KeyStep::RowStart:
      case KeyStep::RowEnd:
        if (!SameRow(from, key)) continue;
        if (step == KeyStep::RowStart ? dx >= 0 : dx <= 0) continue;
        level = true;
        score = -std::labs(dx);  // the farthest one
        break;
    }
    if ((level && !bestLevel) || (level == bestLevel && score < bestScore)) {
      best = i, bestScore = score, bestLevel = level;
    }
  }
  return best;
}

std::wstring KeyButtonName(const std::wstring& keyName, const std::wstring& function) {
  if (function.empty() || function == keyName) return keyName;
  return keyName + L", " + function;
}

}  // namespace q730x
