// Every picture of the skin, each drawn in one of its three looks.
#pragma once

#include "canvas.h"
#include "theme.h"

namespace q730x::art {

void DrawMainWindow(const Canvas& c, Look look);      // 822 x 544
void DrawKeyboardPage(const Canvas& c, Look look);    // 822 x 448
void DrawMacroManager(const Canvas& c, Look look);    // 822 x 458
void DrawReportRate(const Canvas& c, Look look);      // 327 x 170
void DrawAbout(const Canvas& c, Look look);           // 427 x 228
void DrawUpdatePrompt(const Canvas& c, Look look);    // 330 x 160
void DrawSetting(const Canvas& c, Look look);         // 413 x 296
void DrawListPage(const Canvas& c, Look look);        // 370 x 169 (base and macro pages)
void DrawAdvancedPage(const Canvas& c, Look look);    // 370 x 169
void DrawComboPage(const Canvas& c, Look look);       // 370 x 169
void DrawMessageBox(const Canvas& c, Look look);      // 330 x 172
void DrawNoticeBox(const Canvas& c);                  // 400 x 172
void DrawProgressBox(const Canvas& c, bool full);     // 357 x 100
void DrawScrollParts(const Canvas& c);                // 163 x 54
enum class ListIcon { Up, Down, Delay };
void DrawListIcon(const Canvas& c, ListIcon icon, bool selected);  // 16 x 16
enum class AppIcon { Application, Configuration, Exit, About };
void DrawAppIcon(const Canvas& c, AppIcon icon);      // any square size

}  // namespace q730x::art
