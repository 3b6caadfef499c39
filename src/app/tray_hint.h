// Whether the notification that the utility runs in the notification area
// is still to be shown: once for each installed version of the program,
// remembered as that version under the utility's HKLM key (TrayHintVersion).
#pragma once

namespace q730x {

bool TrayHintDue();
void RememberTrayHintShown();

}  // namespace q730x
