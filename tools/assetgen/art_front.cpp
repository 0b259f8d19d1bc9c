// The loading screen, the main menu with its buttons and money panels, and the rules screen.
#include <cmath>
#include <string>
#include <vector>

#include "art.h"
#include "graphics/screen_layout.h"
#include "render.h"

namespace assetgen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The dark strip along the bottom of the menu and rules screens that the buttons sit in.
void ButtonStrip(cairo_t* cr) {
  cairo_rectangle(cr, 0, layout::kStripTop, 800, 100);
  FillVertical(cr, layout::kStripTop, 600, {16, 28, 60}, pal::kNight);
  cairo_rectangle(cr, 0, layout::kStripTop, 800, 3);
  SetColour(cr, pal::kGoldDark);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, layout::kStripTop + 3, 800, 2);
  SetColour(cr, pal::kNight);
  cairo_fill(cr);
}

// Chalk markings of the pitch seen from the stand: touchline, halfway line and centre circle.
void PitchMarkings(cairo_t* cr, double top, double cx) {
  SetColour(cr, pal::kChalk, 0.55);
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, 0, top + 8);
  cairo_line_to(cr, 800, top + 8);
  cairo_move_to(cr, cx, top + 8);
  cairo_line_to(cr, cx, 600);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, cx, top + 120);
  cairo_scale(cr, 190, 62);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr);
  cairo_stroke(cr);
}

std::vector<std::string> Wrap(cairo_t* cr, const TextStyle& s, const std::string& text,
                              double width) {
  std::vector<std::string> lines;
  std::string line, word;
  auto flush = [&]() {
    if (word.empty()) return;
    const std::string trial = line.empty() ? word : line + " " + word;
    if (!line.empty() && TextWidth(cr, s, trial) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = trial;
    }
    word.clear();
  };
  for (char c : text) {
    if (c == ' ') {
      flush();
    } else {
      word += c;
    }
  }
  flush();
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

void PaintLoading(const Frame& f) {
  cairo_t* cr = f.cr;
  Stadium(cr, 800, 600, 330);
  PitchMarkings(cr, 330, 400);
  Logo(cr, 400, 190, 120, 640);
  TextCentred(cr, {Face::kSansBold, 26, pal::kChalk, 2, pal::kNight, 2}, "THE FOOTBALL QUIZ", 400,
              268);
  Glow(cr, 400, 420, 120, pal::kGoldPale, 0.35);
  Football(cr, 400, 420, 46, 0.3);
  // A row of floodlight lamps warming up.
  for (int i = 0; i < 9; ++i) {
    const double x = 400 + (i - 4) * 36;
    RoundedRect(cr, x - 13, 520, 26, 12, 5);
    SetColour(cr, i < 6 ? pal::kGold : pal::kSteel);
    cairo_fill(cr);
  }
  TextCentred(cr, {Face::kSansBold, 22, pal::kGoldPale, 2, pal::kNight, 0}, "LOADING", 400, 560);
}

void PaintMenuBackground(const Frame& f) {
  cairo_t* cr = f.cr;
  Stadium(cr, 800, 600, 300);
  PitchMarkings(cr, 300, 400);
  Logo(cr, 400, 168, 112, 600);
  TextCentred(cr, {Face::kSansBold, 24, pal::kChalk, 2, pal::kNight, 2},
              "THE FLOODLIT FOOTBALL QUIZ", 400, 236);
  Glow(cr, 400, 318, 90, pal::kGoldPale, 0.4);
  Football(cr, 400, 318, 30, 0.2);
  BevelPlate(cr, 220, 370, 360, 56, 16, pal::kRed, 4);
  TextCentred(cr, {Face::kSansBold, 32, pal::kChalk, 2, pal::kNight, 2}, "ONLY 50p A GAME", 400,
              398, 330);
  TextCentred(cr, {Face::kSansBold, 21, pal::kGoldPale, 2, pal::kNight, 2},
              "ANSWER  \xC2\xB7  CLIMB  \xC2\xB7  COLLECT", 400, 462);
  ButtonStrip(cr);
}

void PaintOptionBackground(const Frame& f) {
  PlacePicture(f.cr, 37, 0, 0, 0);
  PlacePicture(f.cr, 8, 0, 0, 0);
  PlacePicture(f.cr, 7, 0, layout::kCreditX, 0);
  PlacePicture(f.cr, 38, 0, 0, layout::kMenuButtonY);
  PlacePicture(f.cr, 39, 0, layout::kRulesX, layout::kMenuButtonY);
  PlacePicture(f.cr, 40, 0, layout::kStartX, layout::kMenuButtonY);
}

// Menu buttons: the visible body of each sits over its touch area (Main Menu x 29..220,
// Rules 304..495, Start 579..770, from y 487 down); the Main Menu button closes the program
// and says so. The rules screen ends on a touch in x 326..534, y 351..569, so the Back
// button's body keeps inside that.
void PaintMenuButton(const Frame& f) {
  cairo_t* cr = f.cr;
  const int kind = f.variant / 2;
  const bool moving = f.variant % 2 == 1;
  struct Look {
    double x, y, w, h;
    Rgb face;
    Rgb text;
    const char* label;
  };
  const Look looks[4] = {{30, 8, 182, 80, pal::kNavyLight, pal::kChalk, "EXIT"},
                         {28, 8, 192, 80, pal::kGold, pal::kNight, "RULES"},
                         {4, 8, 182, 80, {36, 150, 60}, pal::kChalk, "START"},
                         {52, 6, 194, 55, pal::kNavyLight, pal::kChalk, "BACK"}};
  const Look& l = looks[kind];
  const double bx = l.x, bw = l.w, by = l.y, bh = l.h;
  if (moving) {
    // Speed lines trailing behind the button as it slides in.
    SetColour(cr, pal::kChalk, 0.6);
    for (int i = 0; i < 5; ++i) {
      const double y = by + 14 + i * 13;
      const double len = 14 + (i % 3) * 6;
      if (kind == kMainMenuButton) cairo_rectangle(cr, bx - len - 3, y, len, 3);
      if (kind == kStartButton) cairo_rectangle(cr, bx + bw + 3, y, len, 3);
    }
    cairo_fill(cr);
  }
  BevelPlate(cr, bx, by, bw, bh, bh / 4, moving ? Lighter(l.face, 0.12) : l.face, 5);
  const TextStyle label{
      Face::kSansBold, 30, l.text, 2, l.text.r > 128 ? pal::kNight : Lighter(l.face, 0.5), 0};
  double textX = bx + bw / 2;
  if (kind == kStartButton) {
    Football(cr, bx + 34, by + bh / 2, 18, 0.4);
    textX += 18;
  }
  TextCentred(cr, label, l.label, textX, by + bh / 2 + 1, bw - (kind == kStartButton ? 80 : 30));
}

// Money panels at the top corners: bank on the left, credit on the right. The amount's window
// lies under the glyph positions the panels use (bank x 32..148, credit 651..767, y 53..85).
void PaintMoneyPanel(const Frame& f) {
  cairo_t* cr = f.cr;
  const bool credit = f.variant % 2 == 1;
  const bool moving = f.variant >= 2;
  if (credit)
    RoundedRect(cr, 2, -40, 260, 138, 30);
  else
    RoundedRect(cr, -46, -40, 260, 138, 30);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  FillVertical(cr, 0, 100, pal::kNavyLight, pal::kNavy);
  if (credit)
    RoundedRect(cr, 6, -40, 252, 134, 26);
  else
    RoundedRect(cr, -46, -40, 256, 134, 26);
  SetColour(cr, pal::kGold);
  cairo_set_line_width(cr, 3);
  cairo_stroke(cr);
  cairo_restore(cr);
  if (credit)
    RoundedRect(cr, 2, -40, 260, 138, 30);
  else
    RoundedRect(cr, -46, -40, 260, 138, 30);
  SetColour(cr, pal::kNight);
  cairo_set_line_width(cr, 2.5);
  cairo_stroke(cr);
  const double wellX = credit ? 58 : 24;
  TextCentred(cr, {Face::kSansBold, 22, pal::kGold, 2, pal::kNight, 0}, credit ? "CREDIT" : "BANK",
              wellX + 66, 26);
  Well(cr, wellX, 46, 132, 46, 6, pal::kLcd);
  // Icon on the inner side: a stack of coins for credit, a banknote for the bank.
  if (credit) {
    for (int i = 0; i < 4; ++i) {
      cairo_save(cr);
      cairo_translate(cr, 31, 76 - i * 7);
      cairo_scale(cr, 18, 6);
      cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
      cairo_restore(cr);
      SetColour(cr, i == 3 ? pal::kGoldPale : pal::kGold);
      cairo_fill_preserve(cr);
      SetColour(cr, pal::kGoldDark);
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
    }
    TextCentred(cr, {Face::kSansBold, 9, pal::kGoldDark, 0, pal::kNight, 0}, "\xC2\xA3", 31, 55);
  } else {
    cairo_save(cr);
    cairo_translate(cr, 184, 64);
    cairo_rotate(cr, -0.2);
    RoundedRect(cr, -20, -13, 40, 26, 3);
    SetColour(cr, {120, 190, 130});
    cairo_fill_preserve(cr);
    SetColour(cr, pal::kPitchDark);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, 8, 0, 2 * kPi);
    SetColour(cr, {200, 236, 200});
    cairo_fill(cr);
    TextCentred(cr, {Face::kSansBold, 11, pal::kPitchDark, 0, pal::kNight, 0}, "\xC2\xA3", 0, 0);
    cairo_restore(cr);
  }
  if (moving) {
    SetColour(cr, pal::kChalk, 0.35);
    for (int i = 0; i < 6; ++i) {
      const double y = 10 + i * 14, len = 30 + (i % 3) * 14;
      cairo_rectangle(cr, credit ? 212 - len : 4, y, len, 2);
    }
    cairo_fill(cr);
  }
}

// Digits of the money panels: 0-9, then the point between pounds and pence, then the pound sign.
void PaintCreditNos(const Frame& f) {
  GlyphStyle s;
  s.face = Face::kSansCondensedBold;
  s.size = 30;
  s.fill = pal::kGoldPale;
  s.fillBottom = pal::kGold;
  s.outline = 1;
  s.outlineColour = pal::kGoldDark;
  s.baseline = 28;
  if (f.index < 10) {
    PaintGlyph(f.cr, s, std::string(1, static_cast<char>('0' + f.index)), f.width, f.height, -1);
  } else if (f.index == 10) {
    cairo_arc(f.cr, 6.5, 26, 3, 0, 2 * kPi);
    SetColour(f.cr, pal::kGold);
    cairo_fill(f.cr);
  } else {
    PaintGlyph(f.cr, s, "\xC2\xA3", f.width, f.height, -1);
  }
}

void PaintInsert(const Frame& f) {
  cairo_t* cr = f.cr;
  BevelPlate(cr, 2, 4, 158, 70, 14, pal::kRed, 4);
  TextCentred(cr, {Face::kSansBold, 21, pal::kChalk, 2, pal::kNight, 0}, "INSERT MONEY", 81, 27,
              140);
  TextCentred(cr, {Face::kSansBold, 17, pal::kGoldPale, 1.5, pal::kNight, 0}, "50p A GAME", 81, 53,
              140);
}

void PaintTransparency(const Frame&) {}

// The rules picture: what the game really does, in plain words, in two columns above the
// button strip.
void PaintInfoScreen(const Frame& f) {
  cairo_t* cr = f.cr;
  cairo_rectangle(cr, 0, 0, 800, 600);
  FillVertical(cr, 0, 600, pal::kNavy, pal::kNight);
  SetColour(cr, pal::kChalk, 0.06);
  cairo_set_line_width(cr, 3);
  cairo_arc(cr, 400, 290, 120, 0, 2 * kPi);
  cairo_move_to(cr, 400, 60);
  cairo_line_to(cr, 400, 500);
  cairo_stroke(cr);
  Logo(cr, 150, 34, 34);
  TextCentred(cr, {Face::kSansBold, 30, pal::kGold, 2, pal::kNight, 2}, "HOW TO PLAY", 420, 34);
  TextCentred(cr, {Face::kSansBold, 17, pal::kChalk, 1.5, pal::kNight, 0}, "50p A GAME", 700, 34);
  cairo_rectangle(cr, 20, 60, 760, 2);
  SetColour(cr, pal::kGoldDark);
  cairo_fill(cr);

  struct Block {
    const char* heading;
    const char* body;
  };
  const Block left[] = {
      {"THE BOARD",
       "A game costs 50p. The board has 20 hexagons: touch one within 10 seconds, or one is "
       "picked for you. Each hides a question, double or quits, points, a boot, an extra life "
       "or a reveal token. After every 20 turns a new board is dealt."},
      {"LIVES AND THE START PICK",
       "Before the first board, touch one of three boxes: it opens to give you 1, 2 or 3 "
       "lives. Extra-life hexagons add more, up to 5. A wrong answer costs a life; a wrong "
       "answer with no life left ends the game."},
      {"TRUE OR FALSE",
       "Read the statement and touch TRUE or FALSE. Your 20 seconds start once the question is "
       "on screen. Running out of time counts as a wrong answer."},
      {"DOUBLE OR QUITS",
       "A question for double or nothing: right doubles your points (no points makes 1,000), "
       "wrong loses all your points and a life."},
  };
  const Block right[] = {
      {"REVEAL TOKENS",
       "Reveal hexagons give you a token; you can hold 5. During a question touch REVEAL to "
       "spend one and the right answer is given for you."},
      {"POINTS AND THE WIN PLAN",
       "Points hexagons add 1,000 to 10,000 points. Climb the win plan's 20 rungs, from 7,500 "
       "to 1,000,000 points. Rungs showing a prize pay cash."},
      {"COLLECT",
       "Once you reach a prize, COLLECT flashes. Touch it to end the game and take the highest "
       "prize reached, paid into your bank."},
      {"BOOTS AND THE CASHPOT",
       "Find three boots to win the cashpot at once, and play on. The cashpot grows 5p with "
       "every game: pounds go to your bank, pence to your credit."},
      {"THE JACKPOT", "Reach 1,000,000 points to win the top prize of the win plan."},
  };
  // Find the largest text size at which both columns fit between y 74 and 494.
  const double colW = 352, top = 74, bottom = 494;
  double size = 16;
  auto height = [&](const Block* b, int n, double sz) {
    const TextStyle body{Face::kSans, sz, pal::kChalk, 0, pal::kNight, 0};
    double h = 0;
    for (int i = 0; i < n; ++i) {
      h += sz * 1.45 + sz * 1.3 * Wrap(cr, body, b[i].body, colW).size() + sz * 0.7;
    }
    return h;
  };
  while (size > 11 &&
         (height(left, 4, size) > bottom - top || height(right, 5, size) > bottom - top))
    size -= 0.25;
  auto column = [&](const Block* b, int n, double x) {
    const TextStyle body{Face::kSans, size, pal::kChalk, 0, pal::kNight, 0};
    const TextStyle head{Face::kSansBold, size * 1.08, pal::kGold, 0, pal::kNight, 0};
    const double spare = (bottom - top) - height(b, n, size);
    double y = top + spare / (2 * n);
    for (int i = 0; i < n; ++i) {
      Football(cr, x + 7, y + size * 0.55, size * 0.45, i * 0.7);
      TextAt(cr, head, b[i].heading, x + 20, y + size);
      y += size * 1.45;
      for (const std::string& line : Wrap(cr, body, b[i].body, colW)) {
        TextAt(cr, body, line, x + 20, y + size);
        y += size * 1.3;
      }
      y += size * 0.7 + spare / n;
    }
  };
  column(left, 4, 24);
  column(right, 5, 412);
  ButtonStrip(cr);
  TextCentred(cr, {Face::kSansBold, 15, pal::kSteel, 0, pal::kNight, 0}, "Touch BACK for the menu",
              138, 552);
}

}  // namespace assetgen
