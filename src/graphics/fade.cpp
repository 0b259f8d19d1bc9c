#include "graphics/fade.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "graphics/display.h"
#include "shell/timing.h"

namespace {

// The two pictures, one RGB565 word per pixel: the channels are taken apart at each
// step, which gives the same arithmetic as keeping them apart.
std::vector<uint16_t> gFadeA(800 * 600), gFadeB(800 * 600);

bool LockSave(platform::Surface surface, platform::LockedSurface& locked) {
  for (;;) {
    platform::DisplayResult r = Device().Lock(surface, locked);
    if (r == platform::DisplayResult::Ok) return true;
    if (r == platform::DisplayResult::StillDrawing) continue;
    if (r == platform::DisplayResult::SurfaceLost &&
        Device().Restore(surface) == platform::DisplayResult::Ok)
      continue;
    ShutdownDisplay(22);
    return false;
  }
}

// The rectangle inside the screen, so that nothing is read or written outside it.
ClipRect Bounded(const ClipRect* rect) {
  ClipRect r = rect ? *rect : kFullScreen;
  r.left = std::clamp(r.left, 0, 800);
  r.right = std::clamp(r.right, 0, 800);
  r.top = std::clamp(r.top, 0, 600);
  r.bottom = std::clamp(r.bottom, 0, 600);
  return r;
}

uint16_t* Row(const platform::LockedSurface& locked, int y) {
  return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(locked.pixels) +
                                     static_cast<size_t>(y) * locked.pitch);
}

int Blend(int a, int b, int p) {
  return b + p * (a - b) / 100;
}

// The blend of every pair of 5-bit and of 6-bit channel values at one percentage, made
// once per step with the same arithmetic, so that each pixel costs three look-ups: the
// plain path, where the processor has no vector unit the code knows.
struct BlendTables {
  uint8_t five[32][32];
  uint8_t six[64][64];
};

[[maybe_unused]] void MakeTables(BlendTables& t, int p) {
  for (int a = 0; a < 32; ++a)
    for (int b = 0; b < 32; ++b) t.five[a][b] = static_cast<uint8_t>(Blend(a, b, p));
  for (int a = 0; a < 64; ++a)
    for (int b = 0; b < 64; ++b) t.six[a][b] = static_cast<uint8_t>(Blend(a, b, p));
}

[[maybe_unused]] void BlendRowByTables(uint16_t* out, const uint16_t* a, const uint16_t* b, int n,
                                       bool keyed, const BlendTables& tables) {
  for (int x = 0; x < n; ++x) {
    uint16_t pa = a[x], pb = b[x];
    if (keyed && pa == KeyColour) {
      out[x] = pa;
      continue;
    }
    out[x] = static_cast<uint16_t>(tables.five[pa >> 11][pb >> 11] * 2048 +
                                   tables.six[(pa >> 5) & 0x3F][(pb >> 5) & 0x3F] * 32 +
                                   tables.five[pa & 0x1F][pb & 0x1F]);
  }
}

// One pixel with the arithmetic itself, for the few pixels at a row's end.
uint16_t BlendPixel(uint16_t pa, uint16_t pb, int p, bool keyed) {
  if (keyed && pa == KeyColour) return pa;
  return static_cast<uint16_t>(Blend(pa >> 11, pb >> 11, p) * 2048 +
                               Blend((pa >> 5) & 0x3F, (pb >> 5) & 0x3F, p) * 32 +
                               Blend(pa & 0x1F, pb & 0x1F, p));
}

#if defined(__SSE2__)
// The vector path. For p below 100, b + p*(a-b)/100 (the division truncating towards zero)
// is b + floor(d*C/32768) with d = a-b and C = p*32768/100 rounded down plus one, plus one
// more when d is negative: C is too large by at most 1/32768 a unit of d, so the product
// is a little past the true quotient and never by as much as the 1/100 between two
// quotients; a negative product just past a whole number falls below it, which the one
// added for negative d puts back. One signed high multiply does it. Every pair of
// channel values at every percentage is checked against the plain arithmetic by a test.
// p = 100 is the new picture itself.
inline __m128i BlendChannel(__m128i ca, __m128i cb, __m128i c) {
  __m128i d = _mm_sub_epi16(ca, cb);
  __m128i q = _mm_mulhi_epi16(_mm_add_epi16(d, d), c);
  return _mm_add_epi16(_mm_add_epi16(cb, q), _mm_srli_epi16(d, 15));
}

// The whole groups of 8 pixels of a row; returns how many pixels it did.
int BlendRowVector(uint16_t* out, const uint16_t* a, const uint16_t* b, int n, int p, bool keyed) {
  const __m128i c = _mm_set1_epi16(static_cast<int16_t>(p * 32768 / 100 + 1));
  const __m128i key = _mm_set1_epi16(static_cast<int16_t>(KeyColour));
  const __m128i six = _mm_set1_epi16(0x3F), five = _mm_set1_epi16(0x1F);
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
    __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
    __m128i r = BlendChannel(_mm_srli_epi16(pa, 11), _mm_srli_epi16(pb, 11), c);
    __m128i g = BlendChannel(_mm_and_si128(_mm_srli_epi16(pa, 5), six),
                             _mm_and_si128(_mm_srli_epi16(pb, 5), six), c);
    __m128i bl = BlendChannel(_mm_and_si128(pa, five), _mm_and_si128(pb, five), c);
    __m128i v = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), bl);
    if (keyed) {
      __m128i hole = _mm_cmpeq_epi16(pa, key);
      v = _mm_or_si128(_mm_and_si128(hole, pa), _mm_andnot_si128(hole, v));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), v);
  }
  return x;
}
#if defined(__x86_64__) && defined(__GNUC__)
#define STRIKORA_FADE_AVX2 1
// The same in 16-pixel groups, on processors that have AVX2 (chosen when the program runs).
[[gnu::target("avx2")]] inline __m256i BlendChannel256(__m256i ca, __m256i cb, __m256i c) {
  __m256i d = _mm256_sub_epi16(ca, cb);
  __m256i q = _mm256_mulhi_epi16(_mm256_add_epi16(d, d), c);
  return _mm256_add_epi16(_mm256_add_epi16(cb, q), _mm256_srli_epi16(d, 15));
}

[[gnu::target("avx2")]] int BlendRowAvx2(uint16_t* out, const uint16_t* a, const uint16_t* b, int n,
                                         int p, bool keyed) {
  const __m256i c = _mm256_set1_epi16(static_cast<int16_t>(p * 32768 / 100 + 1));
  const __m256i key = _mm256_set1_epi16(static_cast<int16_t>(KeyColour));
  const __m256i six = _mm256_set1_epi16(0x3F), five = _mm256_set1_epi16(0x1F);
  int x = 0;
  for (; x + 16 <= n; x += 16) {
    __m256i pa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + x));
    __m256i pb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + x));
    __m256i r = BlendChannel256(_mm256_srli_epi16(pa, 11), _mm256_srli_epi16(pb, 11), c);
    __m256i g = BlendChannel256(_mm256_and_si256(_mm256_srli_epi16(pa, 5), six),
                                _mm256_and_si256(_mm256_srli_epi16(pb, 5), six), c);
    __m256i bl = BlendChannel256(_mm256_and_si256(pa, five), _mm256_and_si256(pb, five), c);
    __m256i v =
        _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r, 11), _mm256_slli_epi16(g, 5)), bl);
    if (keyed) {
      __m256i hole = _mm256_cmpeq_epi16(pa, key);
      v = _mm256_or_si256(_mm256_and_si256(hole, pa), _mm256_andnot_si256(hole, v));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), v);
  }
  return x;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif
#endif

// One row of the step: the vector path where there is one, the plain one otherwise.
void BlendRow(uint16_t* out, const uint16_t* a, const uint16_t* b, int n, int p, bool keyed,
              [[maybe_unused]] const BlendTables* tables) {
  if (p == 100) {
    for (int x = 0; x < n; ++x) out[x] = BlendPixel(a[x], b[x], 100, keyed);
    return;
  }
  int x = 0;
#if defined(__SSE2__)
#if defined(STRIKORA_FADE_AVX2)
  if (HasAvx2()) x = BlendRowAvx2(out, a, b, n, p, keyed);
#endif
  x += BlendRowVector(out + x, a + x, b + x, n - x, p, keyed);
#else
  BlendRowByTables(out, a, b, n, keyed, *tables);
  x = n;
#endif
  for (; x < n; ++x) out[x] = BlendPixel(a[x], b[x], p, keyed);
}

}  // namespace

void CaptureSave(int which, const ClipRect* rect) {
  platform::Surface surface = which == 0 ? SaveSurface[0] : SaveSurface[1];
  if (!DisplayUp() || !surface) return;
  std::vector<uint16_t>& image = which == 0 ? gFadeA : gFadeB;
  platform::LockedSurface locked;
  if (!LockSave(surface, locked)) return;
  ClipRect r = Bounded(rect);
  for (int y = r.top; y < r.bottom && !Device().Blind(); ++y) {
    const uint16_t* row = Row(locked, y);
    std::copy(row + r.left, row + r.right, image.begin() + y * 800 + r.left);
  }
  Device().Unlock(surface);
}

void FadeStep(int percent, const ClipRect* rect, int keyed) {
  if (percent < 0 || percent > 100) return;
  if (!DisplayUp() || !SaveSurface[0]) return;
  platform::LockedSurface locked;
  if (!LockSave(SaveSurface[0], locked)) return;
  ClipRect r = Bounded(rect);
  // A blend of two values in range stays in range, so keyed mode's clamp never bites.
  const BlendTables* tables = nullptr;
#if !defined(__SSE2__)
  static BlendTables plain;
  MakeTables(plain, percent);
  tables = &plain;
#endif
  for (int y = r.top; y < r.bottom && !Device().Blind(); ++y) {
    if (r.right <= r.left) break;
    BlendRow(Row(locked, y) + r.left, gFadeA.data() + y * 800 + r.left,
             gFadeB.data() + y * 800 + r.left, r.right - r.left, percent, keyed != 0, tables);
  }
  Device().Unlock(SaveSurface[0]);
  RestoreRect(0, 0, 0, keyed, r.left, r.top, r.right, r.bottom);
}

void FadeToPicture(Sprite& picture) {
  SaveRect(1, 0, 0, 800, 600);
  CaptureSave(1, nullptr);
  DrawSpriteToSave(0, picture, 0, 0, 0, nullptr, 0);
  CaptureSave(0, nullptr);
  TweenStart(800);
  do {
    FadeStep(static_cast<int>(TweenValue(100)), nullptr, 2);
    Present();
  } while (!TweenDone());
}
