#include "preview.h"

#include <algorithm>
#include <filesystem>

#include "catalog.h"
#include "graphics/screen_layout.h"
#include "render.h"

namespace assetgen {
namespace {

struct Clip {
  int left = 0, right = 800, top = 0, bottom = 600;
};

// The game's sprite draw: one frame at (x, y), cut to the clip, magenta skipped.
void Draw(Image& screen, int key, int frame, int x, int y, Clip clip = {}) {
  const Entry* e = FindEntry(key);
  const Image& pic = Picture(key);
  for (int row = 0; row < e->frameHeight; ++row) {
    const int ty = y + row;
    if (ty < clip.top || ty >= clip.bottom || ty < 0 || ty >= screen.height) continue;
    for (int col = 0; col < e->width; ++col) {
      const int tx = x + col;
      if (tx < clip.left || tx >= clip.right || tx < 0 || tx >= screen.width) continue;
      const Rgb c = pic.At(col, frame * e->frameHeight + row);
      if (!IsKey(c)) screen.Set(tx, ty, c);
    }
  }
}

int GlyphOf(unsigned char byte) {
  if (byte == 0xA3) return 95;
  if (byte < 32 || byte > 127) return -1;
  return byte - 32;
}

// The game's layout of one text: words wrap at spaces, each line centred in the box.
void DrawText(Image& screen, int fontKey, const std::string& text, int x, int y, int boxW,
              int boxH) {
  const Entry* e = FindEntry(fontKey);
  const std::vector<int> widths = MeasureGlyphWidths(fontKey);
  auto widthOf = [&](unsigned char c) {
    const int g = GlyphOf(c);
    return g < 0 ? 0 : widths[g];
  };
  struct Line {
    int width = 0;
    size_t end = 0;
  };
  std::vector<Line> lines(1);
  size_t p = 0;
  while (p < text.size()) {
    size_t end = text.find(' ', p + 1);
    if (end == std::string::npos) end = text.size();
    int w = 0;
    for (size_t i = p; i < end; ++i) w += widthOf(text[i]);
    if (lines.back().width + w > boxW && lines.back().width > 0) {
      for (size_t i = p; i < end && text[i] == ' '; ++i) w -= widths[0];
      lines.push_back({});
    }
    lines.back().end = end;
    lines.back().width += w;
    p = end;
  }
  const int v = (boxH - static_cast<int>(lines.size()) * e->frameHeight) / 2;
  size_t line = 0;
  int penX = 0, penY = 0;
  for (size_t j = 0; j < text.size(); ++j) {
    const int g = GlyphOf(text[j]);
    const int h = (boxW - lines[line].width) / 2;
    if (g >= 0) Draw(screen, fontKey, g, x + penX + h, y + penY + v);
    if (j >= lines[line].end && line + 1 < lines.size()) {
      ++line;
      penY += e->frameHeight;
      penX = 0;
    } else {
      penX += widthOf(text[j]);
    }
  }
}

// Team names in the system font, white, centred in their box.
void DrawName(Image& screen, const std::string& name, int left, int top, int right, int bottom) {
  const int w = right - left, h = bottom - top;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  const TextStyle style{Face::kLiberationBold, 11.5, {250, 250, 250}, 0, pal::kNight, 0};
  TextCentred(cr, style, name, w / 2.0, h / 2.0, w - 2);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int yy = 0; yy < h; ++yy) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(yy) * stride);
    for (int xx = 0; xx < w; ++xx) {
      const int a = row[xx] >> 24;
      if (a == 0) continue;
      const Rgb under = screen.At(left + xx, top + yy);
      screen.Set(left + xx, top + yy, Mix(under, {250, 250, 250}, a / 255.0));
    }
  }
  cairo_surface_destroy(s);
}

Image MenuScreen() {
  Image screen = MakeImage(800, 600, pal::kBlack);
  Draw(screen, 37, 0, 0, 0);
  // Bank 12.50 and credit 3.50, at the panels' glyph positions.
  Draw(screen, 8, 0, 0, 0);
  const int bank[6][2] = {{32, 11}, {54, 1}, {76, 2}, {91, 10}, {106, 5}, {128, 0}};
  for (const auto& g : bank) Draw(screen, 5, g[1], g[0], layout::kPanelGlyphY);
  Draw(screen, 7, 0, layout::kCreditX, 0);
  const int credit[5][2] = {{661, 11}, {683, 3}, {698, 10}, {713, 5}, {735, 0}};
  for (const auto& g : credit) Draw(screen, 5, g[1], g[0], layout::kPanelGlyphY);
  Draw(screen, 38, 0, 0, layout::kMenuButtonY);
  Draw(screen, 39, 0, layout::kRulesX, layout::kMenuButtonY);
  Draw(screen, 40, 0, layout::kStartX, layout::kMenuButtonY);
  return screen;
}

// A game in progress: 125,000 points on win plan 0, three lives, two reveal tokens, one boot.
Image GameScreen() {
  Image screen = MakeImage(800, 600, pal::kBlack);
  Draw(screen, 15, 0, 0, 0);
  const int prizes[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 200, 0, 0, 300, 400, 0, 500};
  const int thresholds[20] = {7500,   10000,  20000,  30000,  40000,  50000,  75000,
                              100000, 125000, 150000, 175000, 200000, 250000, 300000,
                              350000, 400000, 450000, 500000, 750000, 1000000};
  const char* names[20] = {"Wigan",    "Villa",     "Reading",    "Everton",     "Man U",
                           "Fulham",   "Bolton",    "Tottenham",  "Chelsea",     "Watford",
                           "Man C",    "Sheffield", "Portsmouth", "West Ham",    "Newcastle",
                           "Charlton", "Blackburn", "Liverpool",  "The Gooners", "Middlesbro"};
  for (int rung = 0; rung < 20; ++rung) {
    const int y = layout::RungY(rung);
    const int label[7][2] = {{100, 0}, {200, 1}, {300, 2}, {400, 3}, {500, 4}, {600, 5}, {1000, 6}};
    for (const auto& l : label) {
      if (prizes[rung] == l[0]) Draw(screen, 30, l[1], layout::kPrizeX, y - layout::kPrizeRise);
    }
    DrawName(screen, names[19 - rung], layout::kNamesL, y, layout::kNamesR, y + layout::kRungTextH);
    DrawCentredText(screen, 14, FormatPoints(thresholds[rung]), layout::kRungTextX, y,
                    layout::kRungTextW, layout::kRungTextH);
  }
  Draw(screen, 29, 0, layout::kPlanX, layout::RungY(8) - layout::kPointerRise);
  DrawCentredText(screen, 13, FormatPoints(125000), layout::kPointsTextX, layout::kPointsTextY,
                  layout::kPointsTextW, layout::kPointsTextH);
  // Board: some hexagons played, the rest face down, one turning.
  const int faces[20] = {1, 9, 1, 1, 2, 1, 1, 5, 1, 1, 3, 1, 1, 1, 4, 1, 6, 1, 21, 1};
  for (int i = 0; i < 20; ++i) {
    const int x = layout::kHexX[i % 5], y = layout::kHexY[i / 5];
    if (i == 12)
      Draw(screen, 48, 5, x, y);
    else
      Draw(screen, 27, faces[i], x, y);
  }
  // Countdown with 17 segments left, the caption, the collect flash.
  for (int k = 0; k < 17; ++k)
    Draw(screen, 82, k == 16 ? 1 : 2, layout::kBarLeft + layout::kSegmentW * k, layout::kSegmentY);
  Draw(screen, 83, 1, layout::kCaptionX, layout::kCaptionY);
  Draw(screen, 32, 0, layout::kCollectX, layout::kCollectY);
  Draw(screen, 84, 3, layout::kCollectAnimX, layout::kCollectAnimY);
  // Cashpot of 1.35 with one boot.
  const int cash[5][2] = {{473, 11}, {489, 1}, {501, 10}, {512, 3}, {529, 5}};
  for (const auto& g : cash) Draw(screen, 80, g[1], g[0], layout::kCashDigitY);
  Draw(screen, 81, 4, layout::kBootX[0], layout::kBootY,
       {layout::kBootX[0], layout::kBootX[0] + layout::kBootW, layout::kBootY, layout::kBootB});
  for (int i = 0; i < 3; ++i) {
    Draw(screen, 73, 5, layout::kLivesX, layout::kLivesY,
         {layout::kSlotL[i], layout::kSlotL[i] + layout::kSlotW, layout::kSlotT, layout::kSlotB});
  }
  Draw(screen, 76, 0, layout::kRevealX, layout::kRevealY);
  return screen;
}

Image QuestionScreen() {
  Image screen = GameScreen();
  Draw(screen, 18, 0, 0, 0);
  Draw(screen, 19, 0, layout::kTrueX, layout::kAnswerY);
  Draw(screen, 20, 0, layout::kFalseX, layout::kAnswerY);
  Draw(screen, 83, 3, layout::kCaptionX, layout::kCaptionY);
  DrawText(screen, 11, "The 2022 World Cup in Qatar was the first to be held in the Middle East.",
           layout::kQuestionX, layout::kQuestionY, layout::kQuestionW, layout::kQuestionH);
  return screen;
}

Image PickScreen() {
  Image screen = MakeImage(800, 600, pal::kBlack);
  Draw(screen, 69, 0, 0, 0);
  Draw(screen, 70, 0, layout::kPickX[0], layout::kPickY);
  Draw(screen, 71, 12, layout::kPickX[1], layout::kPickY);
  Draw(screen, 72, 19, layout::kPickX[2], layout::kPickY);
  return screen;
}

}  // namespace

std::vector<int> MeasureGlyphWidths(int fontKey) {
  const Entry* e = FindEntry(fontKey);
  const Image& pic = Picture(fontKey);
  std::vector<int> widths(96, 0);
  const int extra = (fontKey == 11 || fontKey == 13) ? 2 : 1;
  for (int g = 0; g < 96; ++g) {
    int n = 0;
    for (int row = 0; row < e->frameHeight; ++row) {
      for (int col = e->width - 1; col >= 1; --col) {
        if (!IsKey(pic.At(col, g * e->frameHeight + row))) {
          n = std::max(n, col);
          break;
        }
      }
    }
    widths[g] = n + extra;
  }
  widths[0] = e->width / 2;
  return widths;
}

std::string FormatPoints(int v) {
  auto d = [v](int k) {
    int p = 1;
    for (int i = 0; i < k; ++i) p *= 10;
    return std::to_string(v / p % 10);
  };
  if (v < 1000) return std::to_string(v);
  if (v < 10000) return d(3) + "\\," + d(2) + d(1) + d(0);
  if (v < 100000) return d(4) + d(3) + "\\," + d(2) + d(1) + d(0);
  if (v < 1000000) return d(5) + d(4) + d(3) + "\\," + d(2) + d(1) + d(0);
  return d(6) + "\\," + d(5) + d(4) + d(3) + "\\," + d(2) + d(1) + d(0);
}

void DrawCentredText(Image& screen, int fontKey, const std::string& text, int x, int y,
                     int boxWidth, int boxHeight) {
  DrawText(screen, fontKey, text, x, y, boxWidth, boxHeight);
}

bool WriteContactSheet(const std::string& path, std::string* error) {
  const int sheetW = 1900, margin = 12, labelH = 22, gap = 14;
  // Each picture is a block (its label over its frames, wrapped to the sheet's width); blocks
  // are packed in shelves from the top. A first pass places everything, a second paints.
  struct Placed {
    int key, frame;
    double x, y, scale;
  };
  struct Label {
    int key;
    double x, y;
  };
  std::vector<Placed> placed;
  std::vector<Label> labels;
  double shelfX = margin, shelfY = margin, shelfH = 0;
  for (const Entry& e : Catalog()) {
    const double scale = e.width > 400 ? 0.5 : (e.width <= 24 ? 2.0 : 1.0);
    const double fw = e.width * scale + 4, fh = e.frameHeight * scale + 4;
    const int perRow =
        std::max(1, std::min(e.frames, static_cast<int>((sheetW - 2 * margin) / fw)));
    const int rows = (e.frames + perRow - 1) / perRow;
    const double blockW = std::max(perRow * fw, 330.0), blockH = labelH + rows * fh;
    if (shelfX + blockW > sheetW - margin) {
      shelfX = margin;
      shelfY += shelfH + gap;
      shelfH = 0;
    }
    labels.push_back({e.key, shelfX, shelfY});
    for (int i = 0; i < e.frames; ++i) {
      placed.push_back(
          {e.key, i, shelfX + (i % perRow) * fw, shelfY + labelH + (i / perRow) * fh, scale});
    }
    shelfX += blockW + gap;
    shelfH = std::max(shelfH, blockH);
  }
  const double y = shelfY + shelfH;
  const int sheetH = static_cast<int>(y + margin);
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, sheetW, sheetH);
  cairo_t* cr = cairo_create(sheet);
  SetColour(cr, {40, 40, 46});
  cairo_paint(cr);
  for (const Label& l : labels) {
    const Entry* e = FindEntry(l.key);
    std::string name = e->path;
    name = name.substr(name.rfind('\\') + 1);
    const std::string text = std::to_string(e->key) + "  " + name + "  " +
                             std::to_string(e->width) + "x" + std::to_string(e->frameHeight) +
                             (e->frames > 1 ? " x" + std::to_string(e->frames) : "");
    TextAt(cr, {Face::kSansBold, 13, pal::kGoldPale, 0, pal::kNight, 0}, text, l.x, l.y + 15);
  }
  for (const Placed& p : placed) {
    const Entry* e = FindEntry(p.key);
    const double w = e->width * p.scale, h = e->frameHeight * p.scale;
    // Checks behind, so that the transparent parts show as such.
    for (int cy = 0; cy < h; cy += 8) {
      for (int cx = 0; cx < w; cx += 8) {
        cairo_rectangle(cr, p.x + cx, p.y + cy, std::min(8.0, w - cx), std::min(8.0, h - cy));
        SetColour(cr, ((cx + cy) / 8) % 2 ? Rgb{92, 92, 100} : Rgb{124, 124, 132});
        cairo_fill(cr);
      }
    }
    cairo_surface_t* s = ToSurface(PictureFrame(p.key, p.frame), true);
    cairo_save(cr);
    cairo_translate(cr, p.x, p.y);
    cairo_scale(cr, p.scale, p.scale);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr),
                             p.scale >= 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
  }
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(sheet, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(sheet);
  if (!ok) *error = "cannot write " + path;
  return ok;
}

bool WritePreviews(const std::string& dir, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  Image rules = MakeImage(800, 600, pal::kBlack);
  Draw(rules, 6, 0, 0, 0);
  Draw(rules, 46, 0, layout::kRulesX, layout::kMenuButtonY);
  const std::pair<const char*, Image> screens[] = {
      {"loading.png", Picture(1)}, {"menu.png", MenuScreen()},         {"rules.png", rules},
      {"game.png", GameScreen()},  {"question.png", QuestionScreen()}, {"pick.png", PickScreen()},
  };
  for (const auto& [name, image] : screens) {
    if (!WritePng(image, dir + "/" + name)) {
      *error = "cannot write " + dir + "/" + name;
      return false;
    }
  }
  return WriteContactSheet(dir + "/contact-sheet.png", error);
}

}  // namespace assetgen
