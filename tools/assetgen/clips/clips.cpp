#include "clips.h"

#include "asset_files.h"
#include "avi_file.h"
#include "clip_assets.h"
#include "clip_stadium.h"

namespace clips {

cairo_surface_t* DrawFrame(FrameDrawer draw, int frame) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kClipWidth, kClipHeight);
  cairo_t* cr = cairo_create(surface);
  draw(cr, frame);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

RenderedClip RenderClip(FrameDrawer draw, int frames) {
  // The palette is fitted to every other frame and the last one.
  ColourHistogram histogram;
  for (int i = 0; i < frames; ++i) {
    if (i % 2 != 0 && i != frames - 1) continue;
    cairo_surface_t* s = DrawFrame(draw, i);
    histogram.Add(cairo_image_surface_get_data(s), kClipWidth, kClipHeight,
                  cairo_image_surface_get_stride(s));
    cairo_surface_destroy(s);
  }
  RenderedClip clip;
  clip.palette = FitPalette(histogram);
  Quantiser quantiser(clip.palette);
  for (int i = 0; i < frames; ++i) {
    cairo_surface_t* s = DrawFrame(draw, i);
    clip.frames.emplace_back();
    quantiser.Map(cairo_image_surface_get_data(s), kClipWidth, kClipHeight,
                  cairo_image_surface_get_stride(s), clip.frames.back());
    cairo_surface_destroy(s);
  }
  return clip;
}

std::string EncodeClip(const RenderedClip& rendered) {
  AviClip clip;
  clip.width = kClipWidth;
  clip.height = kClipHeight;
  clip.framesPerSecond = kClipFramesPerSecond;
  clip.palette = rendered.palette;
  for (const std::vector<uint8_t>& f : rendered.frames) {
    clip.frames.push_back(EncodeRle8(f, kClipWidth, kClipHeight));
  }
  return EncodeAvi(clip);
}

}  // namespace clips

bool WriteClips(const std::string& gameDir, std::string* error) {
  using namespace clips;
  using audio::WriteGameFile;
  if (!ClipFont()) {
    if (error)
      *error = std::string("cannot read ") + kClipFontFile + " (install fonts-dejavu-core)";
    return false;
  }
  return WriteGameFile(gameDir, "Graphic_resource\\avis\\Jackpot.avi",
                       EncodeClip(RenderClip(DrawJackpotFrame, kJackpotFrames)), error) &&
         WriteGameFile(gameDir, "Graphic_resource\\avis\\Gameover.avi",
                       EncodeClip(RenderClip(DrawGameOverFrame, kGameOverFrames)), error);
}
