#include "platform/text/system_text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

// A byte's rendered coverage, kept so that text drawn every frame is rasterised once.
struct CachedGlyph {
  bool rendered = false;  // looked up yet
  bool ok = false;        // the face has it
  int left = 0, top = 0;  // FreeType's bitmap_left and bitmap_top
  unsigned rows = 0, width = 0;
  std::vector<unsigned char> alpha;  // rows x width
};

struct SystemFont {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int lineHeight = 0;
  int ascent = 0;
  int advance[256] = {};  // cached advances per byte, -1 when not yet measured
  CachedGlyph glyphs[256];
};

void SystemFontDeleter::operator()(SystemFont* font) const {
  if (!font) return;
  if (font->face) FT_Done_Face(font->face);
  if (font->library) FT_Done_FreeType(font->library);
  delete font;
}

namespace {

const char* const kRegularFaces[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};
const char* const kBoldFaces[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};

// Bytes are Latin-1, as on the cabinet: the byte value is the character.
bool LoadGlyph(SystemFont& font, unsigned char c, bool render) {
  FT_Int32 flags = FT_LOAD_DEFAULT | (render ? FT_LOAD_RENDER : 0);
  return FT_Load_Char(font.face, c, flags) == 0;
}

const CachedGlyph& RenderedGlyph(SystemFont& font, unsigned char c) {
  CachedGlyph& cached = font.glyphs[c];
  if (cached.rendered) return cached;
  cached.rendered = true;
  cached.ok = LoadGlyph(font, c, true);
  if (!cached.ok) return cached;
  const FT_GlyphSlot g = font.face->glyph;
  const FT_Bitmap& bm = g->bitmap;
  cached.left = g->bitmap_left;
  cached.top = g->bitmap_top;
  cached.rows = bm.rows;
  cached.width = bm.width;
  cached.alpha.resize(static_cast<size_t>(bm.rows) * bm.width);
  for (unsigned row = 0; row < bm.rows; ++row)
    std::memcpy(cached.alpha.data() + static_cast<size_t>(row) * bm.width,
                bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch, bm.width);
  return cached;
}

int Advance(SystemFont& font, unsigned char c) {
  if (font.advance[c] < 0) {
    font.advance[c] =
        LoadGlyph(font, c, false) ? static_cast<int>(font.face->glyph->advance.x >> 6) : 0;
  }
  return font.advance[c];
}

int Width(SystemFont& font, const std::string& s) {
  int w = 0;
  for (unsigned char c : s) w += Advance(font, c);
  return w;
}

std::string StripPrefixes(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;  // "&x" shows x, "&&" shows &
    out += s[i];
  }
  return out;
}

std::vector<std::string> BreakLines(SystemFont& font, const std::string& text, int width,
                                    uint32_t format) {
  std::vector<std::string> lines;
  if (format & kTextSingleLine) {
    std::string line;
    for (char c : text)
      if (c != '\n' && c != '\r') line += c;
    lines.push_back(line);
    return lines;
  }
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    std::string paragraph = text.substr(start, end == std::string::npos ? end : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
    if (!(format & kTextWordBreak)) {
      lines.push_back(paragraph);
    } else {
      std::string line;
      size_t p = 0;
      while (p < paragraph.size()) {
        size_t wordEnd = paragraph.find(' ', p);
        if (wordEnd == std::string::npos) wordEnd = paragraph.size();
        std::string word = paragraph.substr(p, wordEnd - p);
        std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && Width(font, candidate) > width) {
          lines.push_back(line);
          line = word;
        } else {
          line = candidate;
        }
        p = wordEnd + 1;
      }
      lines.push_back(line);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

uint16_t Pack565(int r, int g, int b) {
  return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

void Blend(uint16_t& dst, int r, int g, int b, int alpha) {
  int dr = ((dst >> 11) & 31) * 255 / 31, dg = ((dst >> 5) & 63) * 255 / 63,
      db = (dst & 31) * 255 / 31;
  dr += (r - dr) * alpha / 255;
  dg += (g - dg) * alpha / 255;
  db += (b - db) * alpha / 255;
  dst = Pack565(dr, dg, db);
}

}  // namespace

SystemFontHandle CreateSystemFont(int height, int weight, std::string* error) {
  SystemFontHandle font(new SystemFont);
  std::fill(std::begin(font->advance), std::end(font->advance), -1);
  if (FT_Init_FreeType(&font->library) != 0) {
    if (error) *error = "the font library did not start";
    return nullptr;
  }
  const auto& faces = weight >= 700 ? kBoldFaces : kRegularFaces;
  for (const char* path : faces) {
    if (::access(path, R_OK) == 0 && FT_New_Face(font->library, path, 0, &font->face) == 0) break;
    font->face = nullptr;
  }
  if (!font->face) {
    if (error) *error = "no sans-serif font file found (package fonts-liberation2)";
    return nullptr;
  }
  FT_Face f = font->face;
  int pixels = height < 0 ? -height : height;
  if (pixels == 0) pixels = 16;
  if (height > 0) {  // a cell height: scale the em so ascent + descent fill it
    pixels = std::max(1, static_cast<int>(static_cast<long>(pixels) * f->units_per_EM /
                                          (f->ascender - f->descender)));
  }
  FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(pixels));
  font->ascent = static_cast<int>(f->size->metrics.ascender >> 6);
  font->lineHeight =
      static_cast<int>((f->size->metrics.ascender - f->size->metrics.descender) >> 6);
  return font;
}

int MeasureSystemText(SystemFont& font, const std::string& text) {
  return Width(font, text);
}

int DrawSystemText(const Canvas565& target, SystemFont& font, const char* text, int count,
                   const TextRect& rect, uint32_t format, uint32_t textColour, uint32_t backColour,
                   bool opaque) {
  if (!text || !target.pixels) return 0;
  std::string s = count < 0 ? std::string(text) : std::string(text, strnlen(text, count));
  if (!(format & kTextNoPrefix)) s = StripPrefixes(s);
  std::vector<std::string> lines = BreakLines(font, s, rect.right - rect.left, format);
  int total = static_cast<int>(lines.size()) * font.lineHeight;

  int y = rect.top;
  if (format & kTextSingleLine) {
    if (format & kTextVCenter)
      y = rect.top + (rect.bottom - rect.top - total) / 2;
    else if (format & kTextBottom)
      y = rect.bottom - total;
  }
  int clipLeft = 0, clipTop = 0, clipRight = target.width, clipBottom = target.height;
  if (!(format & kTextNoClip)) {
    clipLeft = std::max(clipLeft, rect.left);
    clipTop = std::max(clipTop, rect.top);
    clipRight = std::min(clipRight, rect.right);
    clipBottom = std::min(clipBottom, rect.bottom);
  }
  if (clipLeft >= clipRight || clipTop >= clipBottom) return total;  // none of it can show
  int tr = textColour & 0xFF, tg = (textColour >> 8) & 0xFF, tb = (textColour >> 16) & 0xFF;
  uint16_t back = Pack565(backColour & 0xFF, (backColour >> 8) & 0xFF, (backColour >> 16) & 0xFF);

  for (const std::string& line : lines) {
    int width = Width(font, line);
    int x = rect.left;
    if (format & kTextCenter)
      x = rect.left + (rect.right - rect.left - width) / 2;
    else if (format & kTextRight)
      x = rect.right - width;
    if (opaque) {
      for (int py = std::max(y, clipTop); py < std::min(y + font.lineHeight, clipBottom); ++py)
        for (int px = std::max(x, clipLeft); px < std::min(x + width, clipRight); ++px)
          target.pixels[py * target.pitch + px] = back;
    }
    int penX = x;
    for (unsigned char c : line) {
      const CachedGlyph& g = RenderedGlyph(font, c);
      if (g.ok) {
        int left = penX + g.left, top = y + font.ascent - g.top;
        for (unsigned row = 0; row < g.rows; ++row) {
          int py = top + static_cast<int>(row);
          if (py < clipTop || py >= clipBottom) continue;
          for (unsigned col = 0; col < g.width; ++col) {
            int px = left + static_cast<int>(col);
            if (px < clipLeft || px >= clipRight) continue;
            int alpha = g.alpha[row * g.width + col];
            if (alpha) Blend(target.pixels[py * target.pitch + px], tr, tg, tb, alpha);
          }
        }
      }
      penX += Advance(font, c);
    }
    y += font.lineHeight;
  }
  return total;
}

}  // namespace platform
