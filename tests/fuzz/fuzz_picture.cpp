// A picture reader fed arbitrary bytes: a picture or a refusal, never a read or write
// outside the bytes or the picture. Built once for each format (FUZZ_PCX picks PCX).
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/image_decode.h"
#include "test_pictures.h"

std::vector<std::string> FuzzSeeds() {
  using testing_support::Rgb;
  auto pixel = [](int x, int y) {
    return Rgb{static_cast<uint8_t>(x * 30), static_cast<uint8_t>(y * 50), 255};
  };
#ifdef FUZZ_PCX
  return {testing_support::PcxBytes(7, 3, pixel, 8), testing_support::PcxBytes(64, 2, [](int, int) {
            return Rgb{200, 200, 200};
          })};
#else
  return {testing_support::BmpBytes(8, 4, pixel), "BM"};
#endif
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
#ifdef FUZZ_PCX
  const GraphicFormat format = GraphicFormat::Pcx;
#else
  const GraphicFormat format = GraphicFormat::Bmp;
#endif
  Picture565 picture;
  std::string why;
  if (DecodePicture(format, data, size, picture, &why)) {
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
      __builtin_trap();
  } else if (why.empty()) {
    __builtin_trap();  // every refusal says why
  }
  PictureHeader header;
  ReadPictureHeader(format, data, size, header, nullptr);
  return 0;
}
