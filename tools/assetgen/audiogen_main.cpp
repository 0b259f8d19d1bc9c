// audiogen --out DIR: writes the game's sounds and clips into DIR, as assetgen does.
// audiogen --preview DIR: saves every tenth frame of both clips, in their palette colours, as PNG.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "audio_assets.h"
#include "clip_assets.h"
#include "clip_stadium.h"
#include "clips.h"

namespace {

bool SavePreview(clips::FrameDrawer draw, int frames, const std::string& stem) {
  clips::RenderedClip clip = clips::RenderClip(draw, frames);
  for (int f = 0; f < frames; f += 10) {
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, clips::kClipWidth, clips::kClipHeight);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < clips::kClipHeight; ++y) {
      for (int x = 0; x < clips::kClipWidth; ++x) {
        uint32_t c = clip.palette[clip.frames[f][static_cast<size_t>(y) * clips::kClipWidth + x]];
        std::memcpy(data + y * stride + 4 * x, &c, 4);
      }
    }
    cairo_surface_mark_dirty(s);
    std::string path = stem + "-" + std::to_string(f) + ".png";
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "--out") != 0 && std::strcmp(argv[1], "--preview") != 0)) {
    std::fprintf(stderr, "usage: audiogen --out DIR | --preview DIR\n");
    return 64;
  }
  std::string dir = argv[2];
  std::string error;
  if (std::strcmp(argv[1], "--preview") == 0) {
    if (!SavePreview(clips::DrawJackpotFrame, clips::kJackpotFrames, dir + "/jackpot") ||
        !SavePreview(clips::DrawGameOverFrame, clips::kGameOverFrames, dir + "/gameover")) {
      std::fprintf(stderr, "audiogen: cannot write previews into %s\n", dir.c_str());
      return 1;
    }
    return 0;
  }
  if (!WriteSounds(dir, &error) || !WriteClips(dir, &error)) {
    std::fprintf(stderr, "audiogen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
