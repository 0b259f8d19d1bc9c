#include "par_plot.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace sim {
namespace {

struct Colour {
  double r, g, b;
};
// Ten colours, so that the default sheet's ten rows are told apart in every legend.
const Colour kPalette[] = {{0.12, 0.47, 0.71}, {0.84, 0.15, 0.16}, {0.17, 0.63, 0.17},
                           {0.58, 0.40, 0.74}, {1.00, 0.50, 0.05}, {0.55, 0.34, 0.29},
                           {0.89, 0.47, 0.76}, {0.50, 0.50, 0.50}, {0.74, 0.74, 0.13},
                           {0.09, 0.75, 0.81}};
Colour PaletteColour(size_t i) {
  return kPalette[i % (sizeof kPalette / sizeof kPalette[0])];
}

// A plotting area and the data range it shows.
struct Frame {
  double left, top, width, height;
  double x0, x1, y0, y1;
  double X(double v) const { return left + (v - x0) / (x1 - x0) * width; }
  double Y(double v) const { return top + height - (v - y0) / (y1 - y0) * height; }
};

// A step of 1, 2 or 5 times a power of ten giving about `ticks` ticks over the range.
double NiceStep(double range, int ticks) {
  if (!(range > 0)) return 1;
  double raw = range / ticks, power = std::pow(10.0, std::floor(std::log10(raw)));
  double m = raw / power;
  return (m < 1.5 ? 1 : m < 3.5 ? 2 : m < 7.5 ? 5 : 10) * power;
}

void SetColour(cairo_t* c, Colour k, double alpha = 1) {
  cairo_set_source_rgba(c, k.r, k.g, k.b, alpha);
}

// Text at (x, y), its baseline there; align 0 puts its left end there, 0.5 its middle, 1
// its right end.
void Text(cairo_t* c, double x, double y, const std::string& s, double align, double size,
          bool bold = false) {
  cairo_select_font_face(c, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(c, size);
  cairo_text_extents_t e;
  cairo_text_extents(c, s.c_str(), &e);
  cairo_move_to(c, x - align * e.x_advance, y);
  cairo_show_text(c, s.c_str());
}

std::string Number(double v, double step) {
  char b[32];
  int places = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  if (std::fabs(v) < step * 1e-6) v = 0;  // no "-0"
  std::snprintf(b, sizeof b, "%.*f", places, v);
  return b;
}

// The frame's box, grid lines and tick labels; `yScale` multiplies the y labels.
void Axes(cairo_t* c, const Frame& f, const std::string& xLabel, const std::string& yLabel,
          double yScale = 1, const std::string& ySuffix = "", bool xTicks = true) {
  cairo_set_line_width(c, 1);
  double xs = NiceStep(f.x1 - f.x0, 8), ys = NiceStep((f.y1 - f.y0) * yScale, 6) / yScale;
  for (double v = std::ceil(f.x0 / xs) * xs; xTicks && v <= f.x1 + xs * 1e-9; v += xs) {
    SetColour(c, {0.88, 0.88, 0.88});
    cairo_move_to(c, f.X(v), f.top);
    cairo_line_to(c, f.X(v), f.top + f.height);
    cairo_stroke(c);
    SetColour(c, {0.2, 0.2, 0.2});
    Text(c, f.X(v), f.top + f.height + 16, Number(v, xs), 0.5, 11);
  }
  for (double v = std::ceil(f.y0 / ys) * ys; v <= f.y1 + ys * 1e-9; v += ys) {
    SetColour(c, {0.88, 0.88, 0.88});
    cairo_move_to(c, f.left, f.Y(v));
    cairo_line_to(c, f.left + f.width, f.Y(v));
    cairo_stroke(c);
    SetColour(c, {0.2, 0.2, 0.2});
    Text(c, f.left - 6, f.Y(v) + 4, Number(v * yScale, ys * yScale) + ySuffix, 1, 11);
  }
  SetColour(c, {0.2, 0.2, 0.2});
  cairo_rectangle(c, f.left, f.top, f.width, f.height);
  cairo_stroke(c);
  if (!xLabel.empty()) Text(c, f.left + f.width / 2, f.top + f.height + 34, xLabel, 0.5, 12);
  if (!yLabel.empty()) {
    cairo_save(c);
    cairo_translate(c, f.left - 58, f.top + f.height / 2);
    cairo_rotate(c, -M_PI / 2);
    Text(c, 0, 0, yLabel, 0.5, 12);
    cairo_restore(c);
  }
}

void Legend(cairo_t* c, double x, double y, const std::vector<std::string>& labels) {
  for (size_t i = 0; i < labels.size(); ++i) {
    SetColour(c, PaletteColour(i));
    cairo_rectangle(c, x, y + 18 * i - 9, 12, 10);
    cairo_fill(c);
    SetColour(c, {0.1, 0.1, 0.1});
    Text(c, x + 18, y + 18 * i, labels[i], 0, 11);
  }
}

struct Canvas {
  cairo_surface_t* surface;
  cairo_t* c;
  Canvas(int width, int height)
      : surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
        c(cairo_create(surface)) {
    cairo_set_source_rgb(c, 1, 1, 1);
    cairo_paint(c);
  }
  ~Canvas() {
    cairo_destroy(c);
    cairo_surface_destroy(surface);
  }
  bool Save(const std::string& path, std::string& error) {
    cairo_surface_flush(surface);
    cairo_status_t s = cairo_surface_write_to_png(surface, path.c_str());
    if (s == CAIRO_STATUS_SUCCESS) return true;
    error = "cannot write " + path + ": " + cairo_status_to_string(s);
    return false;
  }
};

std::string Pounds(int pence) {
  char b[32];
  if (pence % 100 == 0)
    std::snprintf(b, sizeof b, "\xc2\xa3%d", pence / 100);
  else
    std::snprintf(b, sizeof b, "\xc2\xa3%d.%02d", pence / 100, pence % 100);
  return b;
}

// A point and its interval bar, labelled with its value.
void PointWithInterval(cairo_t* c, const Frame& f, double x, const PlotRow& r) {
  cairo_set_line_width(c, 2);
  cairo_move_to(c, x, f.Y(r.rtpLow));
  cairo_line_to(c, x, f.Y(r.rtpHigh));
  for (double v : {r.rtpLow, r.rtpHigh}) {
    cairo_move_to(c, x - 6, f.Y(v));
    cairo_line_to(c, x + 6, f.Y(v));
  }
  cairo_stroke(c);
  cairo_arc(c, x, f.Y(r.rtp), 4, 0, 2 * M_PI);
  cairo_fill(c);
  char b[32];
  std::snprintf(b, sizeof b, "%.1f %%", 100 * r.rtp);
  Text(c, x + 8, f.Y(r.rtp) - 6, b, 0, 11);
}

void BreakEvenLine(cairo_t* c, const Frame& f) {
  SetColour(c, {0.3, 0.3, 0.3});
  double dash[] = {6, 4};
  cairo_set_dash(c, dash, 2, 0);
  cairo_set_line_width(c, 1);
  cairo_move_to(c, f.left, f.Y(1));
  cairo_line_to(c, f.left + f.width, f.Y(1));
  cairo_stroke(c);
  cairo_set_dash(c, nullptr, 0, 0);
  Text(c, f.left + 6, f.Y(1) - 5, "100 %: the stakes paid back", 0, 10);
}

// Two panels: the uniform players at their skills, and every other row by name. Each
// measured row is a point with its interval; nothing joins them, since nothing between
// them was measured.
bool DrawRtp(const std::vector<PlotRow>& rows, const std::string& path, std::string& error) {
  std::vector<const PlotRow*> uniform, named;
  double top = 1;
  for (const PlotRow& r : rows) {
    (r.uniform ? uniform : named).push_back(&r);
    top = std::max(top, r.rtpHigh);
  }
  Canvas k(800, 900);
  cairo_t* c = k.c;
  SetColour(c, {0.1, 0.1, 0.1});
  Text(c, 400, 28, "Return to player of each measured row, with 95 % intervals", 0.5, 15, true);
  double sx0 = 1, sx1 = 0;
  for (const PlotRow* r : uniform) {
    sx0 = std::min(sx0, r->skill);
    sx1 = std::max(sx1, r->skill);
  }
  if (sx1 < sx0) sx0 = 0, sx1 = 1;
  const double pad = std::max(0.05, (sx1 - sx0) * 0.08);
  Frame u{90, 60, 680, 330, sx0 - pad, sx1 + pad, 0, top * 1.08};
  Axes(c, u, "uniform players: the chance of a right answer to any question", "return to player",
       100, " %");
  BreakEvenLine(c, u);
  SetColour(c, PaletteColour(0));
  for (const PlotRow* r : uniform) PointWithInterval(c, u, u.X(r->skill), *r);
  Frame n{90, 480, 680, 330, 0, std::max<double>(1, named.size()), 0, top * 1.08};
  Axes(c, n, "", "return to player", 100, " %", false);
  BreakEvenLine(c, n);
  for (size_t i = 0; i < named.size(); ++i) {
    const double x = n.X(i + 0.5);
    SetColour(c, PaletteColour(i + 1));
    PointWithInterval(c, n, x, *named[i]);
    SetColour(c, {0.2, 0.2, 0.2});
    cairo_save(c);
    cairo_translate(c, x, n.top + n.height + 12);
    cairo_rotate(c, M_PI / 12);
    Text(c, 0, 0, named[i]->label, 0, 10);
    cairo_restore(c);
  }
  return k.Save(path, error);
}

bool DrawBalances(const std::vector<PlotRow>& rows, const std::vector<int>& thresholds,
                  const std::string& path, std::string& error) {
  const int panel = 190, width = 800;
  Canvas k(width, 70 + panel * static_cast<int>(rows.size()));
  cairo_t* c = k.c;
  SetColour(c, {0.1, 0.1, 0.1});
  Text(c, width / 2.0, 26, "The main payout balance after each game", 0.5, 15, true);
  std::string bounds;
  for (size_t t = 0; t < thresholds.size(); ++t)
    bounds += (t ? ", " : "") + std::to_string(thresholds[t]);
  Text(c, width / 2.0, 46,
       "dashed: the bounds of the balance levels (" + bounds + " pence): level 1 above the " +
           "first, level 7 below the last",
       0.5, 11);
  for (size_t i = 0; i < rows.size(); ++i) {
    const PlotRow& r = rows[i];
    double lo = thresholds.empty() ? 0 : thresholds.back(),
           hi = thresholds.empty() ? 0 : thresholds.front();
    for (int b : r.balance) {
      lo = std::min(lo, double(b));
      hi = std::max(hi, double(b));
    }
    double margin = (hi - lo) * 0.06 + 1;
    double n = std::max<double>(2, r.balance.size());
    Frame f{100, 84 + panel * double(i), 670, panel - 60.0, 1, n, lo - margin, hi + margin};
    Axes(c, f, i + 1 == rows.size() ? "games played (one replication)" : "", "pence");
    SetColour(c, {0.1, 0.1, 0.1});
    std::string title = r.label;
    if (!r.balance.empty()) title += ", after the last game " + std::to_string(r.balance.back());
    Text(c, f.left, f.top - 7, title, 0, 11, true);
    double dash[] = {5, 4};
    SetColour(c, {0.45, 0.45, 0.45});
    cairo_set_dash(c, dash, 2, 0);
    for (int t : thresholds) {
      cairo_move_to(c, f.left, f.Y(t));
      cairo_line_to(c, f.left + f.width, f.Y(t));
    }
    cairo_stroke(c);
    cairo_set_dash(c, nullptr, 0, 0);
    cairo_save(c);
    cairo_rectangle(c, f.left, f.top, f.width, f.height);
    cairo_clip(c);
    SetColour(c, PaletteColour(i));
    cairo_set_line_width(c, 1.2);
    for (size_t g = 0; g < r.balance.size(); ++g) {
      if (g == 0)
        cairo_move_to(c, f.X(1), f.Y(r.balance[g]));
      else
        cairo_line_to(c, f.X(double(g + 1)), f.Y(r.balance[g]));
    }
    cairo_stroke(c);
    cairo_restore(c);
  }
  return k.Save(path, error);
}

// The return of each prize and of the cashpot, as a share of the stakes, by row.
bool DrawPrizes(const std::vector<PlotRow>& rows, const std::string& path, std::string& error) {
  std::set<int> amounts;
  double top = 0.01;
  for (const PlotRow& r : rows) {
    for (const auto& [amount, share] : r.prizeReturns) {
      amounts.insert(amount);
      top = std::max(top, share);
    }
    top = std::max(top, r.cashpotReturn);
  }
  Canvas k(800, 500 + 18 * static_cast<int>(rows.size()));
  cairo_t* c = k.c;
  SetColour(c, {0.1, 0.1, 0.1});
  Text(c, 400, 28, "The return of each prize and of the cashpot (share of the stakes)", 0.5, 15,
       true);
  Frame f{90, 50, 680, 380, 0, 1, 0, top * 1.1};
  // No x ticks: the prizes are named under their bars.
  Axes(c, f, "", "return, share of the stakes", 100, " %", false);
  const double groups = amounts.size() + 1.0;
  const double groupWidth = f.width / groups;
  const double bar = groupWidth * 0.8 / std::max<size_t>(1, rows.size());
  for (size_t g = 0; g <= amounts.size(); ++g) {
    const bool cashpot = g == amounts.size();
    const int amount = cashpot ? 0 : *std::next(amounts.begin(), static_cast<long>(g));
    const double x = f.left + groupWidth * g + groupWidth * 0.1;
    for (size_t i = 0; i < rows.size(); ++i) {
      auto it = rows[i].prizeReturns.find(amount);
      const double share = cashpot                            ? rows[i].cashpotReturn
                           : it == rows[i].prizeReturns.end() ? 0
                                                              : it->second;
      SetColour(c, PaletteColour(i));
      cairo_rectangle(c, x + bar * i, f.Y(share), bar - 1, f.Y(0) - f.Y(share));
      cairo_fill(c);
    }
    SetColour(c, {0.2, 0.2, 0.2});
    Text(c, f.left + groupWidth * (g + 0.5), f.top + f.height + 16,
         cashpot ? "cashpot" : Pounds(amount), 0.5, 11);
  }
  Text(c, f.left + f.width / 2, f.top + f.height + 34,
       "prize paid at the end of the game, and the cashpots paid during games", 0.5, 12);
  std::vector<std::string> labels;
  for (const PlotRow& r : rows) labels.push_back(r.label);
  Legend(c, f.left, f.top + f.height + 60, labels);
  return k.Save(path, error);
}

// The return of each 100 games of the memorising rows, a point each.
bool DrawLearning(const std::vector<PlotRow>& rows, const std::string& path, std::string& error) {
  double top = 1, blocks = 1;
  for (const PlotRow& r : rows)
    for (double v : r.learning) {
      top = std::max(top, v);
      blocks = std::max(blocks, double(r.learning.size()));
    }
  Canvas k(800, 500);
  cairo_t* c = k.c;
  SetColour(c, {0.1, 0.1, 0.1});
  Text(c, 400, 28, "A memorising player: the return of each 100 games played", 0.5, 15, true);
  Frame f{90, 50, 680, 380, 0, blocks * 100, 0, top * 1.08};
  Axes(c, f, "games played since the burn-in (the end of each 100)", "return to player", 100, " %");
  BreakEvenLine(c, f);
  std::vector<std::string> labels;
  size_t shown = 0;
  for (const PlotRow& r : rows) {
    if (!r.memorises) continue;
    SetColour(c, PaletteColour(shown++));
    labels.push_back(r.label);
    for (size_t b = 0; b < r.learning.size(); ++b) {
      cairo_arc(c, f.X(100.0 * (b + 1)), f.Y(r.learning[b]), 2.5, 0, 2 * M_PI);
      cairo_fill(c);
    }
  }
  Legend(c, f.left + 14, f.top + 20, labels);
  return k.Save(path, error);
}

}  // namespace

bool WriteParPictures(const std::vector<PlotRow>& rows, const std::vector<int>& thresholds,
                      const std::string& dir, std::string& error) {
  bool learning = false;
  for (const PlotRow& r : rows) learning = learning || r.memorises;
  return DrawRtp(rows, dir + "/rtp-by-skill.png", error) &&
         DrawBalances(rows, thresholds, dir + "/balance.png", error) &&
         DrawPrizes(rows, dir + "/prizes.png", error) &&
         (!learning || DrawLearning(rows, dir + "/learning.png", error));
}

}  // namespace sim
