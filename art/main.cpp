// q730x_art <output folder>
// Draws every picture of the utility: the embedded bitmaps and icons (into
// <output>/embedded, for the resource compiler) and the skin files (into
// <output>/skins, the folder installed next to the program).
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "image_files.h"
#include "keyboard_layout.h"
#include "pictures.h"

using namespace q730x::art;
namespace fs = std::filesystem;

namespace {

bool ok = true;

void Check(bool written, const fs::path& path) {
  if (!written) {
    std::fprintf(stderr, "q730x_art: cannot write %s\n", path.string().c_str());
    ok = false;
  }
}

using Drawing = std::function<void(const Canvas&, Look)>;

// One window's three pictures, as embedded bitmaps with the given identifiers.
void Embedded(const fs::path& dir, int width, int height, const Drawing& draw, int normal,
              int hover, int pressed) {
  const std::pair<int, Look> looks[] = {{normal, Look::Normal}, {hover, Look::Hover},
                                        {pressed, Look::Pressed}};
  for (auto [id, look] : looks) {
    if (id == 0) continue;
    Canvas c(width, height);
    draw(c, look);
    fs::path path = dir / ("bitmap" + std::to_string(id) + ".bmp");
    Check(WriteBmp24(c.surface(), path.string()), path);
  }
}

// One window's three skin files: <prefix>_Normal.bmp, _Over.bmp and _Down.bmp.
void SkinSet(const fs::path& dir, const std::string& prefix, int width, int height,
             const Drawing& draw) {
  fs::create_directories(dir);
  const std::pair<const char*, Look> looks[] = {
      {"_Normal.bmp", Look::Normal}, {"_Over.bmp", Look::Hover}, {"_Down.bmp", Look::Pressed}};
  for (auto [suffix, look] : looks) {
    Canvas c(width, height);
    draw(c, look);
    fs::path path = dir / (prefix + suffix);
    Check(WriteBmp24(c.surface(), path.string()), path);
  }
}

void Icon(const fs::path& dir, int id, AppIcon icon) {
  std::vector<Canvas*> canvases;
  std::vector<cairo_surface_t*> surfaces;
  for (int size : {16, 24, 32, 48}) {
    auto* c = new Canvas(size, size);
    DrawAppIcon(*c, icon);
    canvases.push_back(c);
    surfaces.push_back(c->surface());
  }
  fs::path path = dir / ("icon" + std::to_string(id) + ".ico");
  Check(WriteIco(surfaces, path.string()), path);
  for (Canvas* c : canvases) delete c;
}

bool LayoutIsComplete() {
  for (std::size_t i = 0; i < q730x::kKeyLayoutUsedEntries; ++i) {
    const q730x::KeyLayoutEntry& k = q730x::KeyLayoutTable[i];
    if (k.right <= k.left || k.bottom <= k.top) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: q730x_art <output folder>\n");
    return 2;
  }
  if (!LayoutIsComplete()) {
    std::fprintf(stderr, "q730x_art: the key layout table has an empty used entry\n");
    return 1;
  }
  fs::path out = argv[1];
  fs::path embedded = out / "embedded", skins = out / "skins";
  fs::create_directories(embedded);
  fs::create_directories(skins);

  Embedded(embedded, 822, 544, DrawMainWindow, 135, 137, 138);
  Embedded(embedded, 822, 448, DrawKeyboardPage, 151, 153, 154);
  Embedded(embedded, 822, 458, DrawMacroManager, 155, 156, 157);
  Embedded(embedded, 327, 170, DrawReportRate, 165, 163, 164);
  Embedded(embedded, 427, 228, DrawAbout, 170, 168, 169);
  Embedded(embedded, 330, 160, DrawUpdatePrompt, 171, 172, 0);
  {
    Canvas c(163, 54);
    DrawScrollParts(c);
    fs::path path = embedded / "bitmap176.bmp";
    Check(WriteBmp8(c.surface(), path.string()), path);
  }
  Icon(embedded, 128, AppIcon::Application);
  Icon(embedded, 145, AppIcon::Configuration);
  Icon(embedded, 147, AppIcon::Exit);
  Icon(embedded, 174, AppIcon::About);

  SkinSet(skins / "setting", "Setting", 413, 296, DrawSetting);
  SkinSet(skins / "base", "Base", 370, 169, DrawListPage);
  SkinSet(skins / "macro", "Macro", 370, 169, DrawListPage);
  SkinSet(skins / "advanced", "Advanced", 370, 169, DrawAdvancedPage);
  SkinSet(skins / "combo", "Combo", 370, 169, DrawComboPage);
  SkinSet(skins / "messagebox", "Message", 330, 172, DrawMessageBox);
  {
    Canvas c(400, 172);
    DrawNoticeBox(c);
    fs::path path = skins / "messagebox" / "Notice_Normal.bmp";
    Check(WriteBmp24(c.surface(), path.string()), path);
  }
  for (bool full : {false, true}) {
    Canvas c(357, 100);
    DrawProgressBox(c, full);
    fs::path path = skins / (full ? "progress_over.png" : "progress_normal.png");
    Check(WritePng(c.surface(), path.string()), path);
  }
  const std::pair<const char*, ListIcon> icons[] = {
      {"up", ListIcon::Up}, {"down", ListIcon::Down}, {"delay", ListIcon::Delay}};
  for (auto [name, icon] : icons)
    for (bool selected : {false, true}) {
      Canvas c(16, 16);
      DrawListIcon(c, icon, selected);
      fs::path path = skins / (std::string(name) + (selected ? "_select.png" : "_normal.png"));
      Check(WritePng(c.surface(), path.string()), path);
    }
  return ok ? 0 : 1;
}
