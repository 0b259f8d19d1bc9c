// assetgen: draws every picture of the game (and, when the audio part is built in, writes every
// sound and clip) into the game folder, and draws review sheets of them.
//
//   assetgen --out DIR               DIR/Graphic_resource/... (and DIR/sounds, clips)
//   assetgen --contact-sheet FILE    every picture and frame on one labelled PNG
//   assetgen --previews DIR          contact sheet and composed screens as PNGs
#include <cstdio>
#include <string>

#include "cli/cli.h"
#include "kit.h"
#include "preview.h"
#include "render.h"

#ifdef ASSETGEN_HAS_AUDIO
#include "audio/audio_assets.h"
#include "clips/clip_assets.h"
#endif

namespace {

constexpr const char* kUsage =
    "usage: assetgen [--out DIR] [--contact-sheet FILE.png] [--previews DIR]\n"
    "--out DIR: every picture, sound and clip of the game into DIR; --contact-sheet: all\n"
    "pictures on one labelled sheet; --previews DIR: the sheet and composed screens.\n"
    "exit: 0 done, 1 a file could not be made, 64 bad usage\n";

int Usage(const std::string& problem) {
  return cli::UsageError("assetgen", problem);
}

int Fail(const std::string& error) {
  std::fprintf(stderr, "assetgen: %s\n", error.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  if (cli::HelpOrVersion(argc, argv, "assetgen", kUsage, status)) return status;
  std::string out, sheet, previews;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg != "--out" && arg != "--contact-sheet" && arg != "--previews")
      return Usage("unknown argument " + arg);
    if (i + 1 >= argc) return Usage(arg + " needs a value");
    if (arg == "--out") {
      out = argv[++i];
    } else if (arg == "--contact-sheet") {
      sheet = argv[++i];
    } else if (arg == "--previews") {
      previews = argv[++i];
    }
  }
  if (out.empty() && sheet.empty() && previews.empty())
    return Usage("nothing to do: give --out, --contact-sheet or --previews");
  std::string error;
  if (!assetgen::LoadFonts(&error)) return Fail(error);
  if (!out.empty()) {
    if (!assetgen::WritePictures(out, &error)) return Fail(error);
#ifdef ASSETGEN_HAS_AUDIO
    if (!WriteSounds(out, &error)) return Fail(error);
    if (!WriteClips(out, &error)) return Fail(error);
#endif
  }
  if (!sheet.empty() && !assetgen::WriteContactSheet(sheet, &error)) return Fail(error);
  if (!previews.empty() && !assetgen::WritePreviews(previews, &error)) return Fail(error);
  return 0;
}
