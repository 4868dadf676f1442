// PNG files through libpng.
#include "png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace drvhost {

bool WritePng(const std::string& path, const plat::ui::Picture& picture, std::string& error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height) {
    error = "there is no window to picture";
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot write " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info;
  std::vector<png_byte> row(static_cast<std::size_t>(picture.width) * 3);
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const std::uint32_t p = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
        row[3 * x] = static_cast<png_byte>(p >> 16);
        row[3 * x + 1] = static_cast<png_byte>(p >> 8);
        row[3 * x + 2] = static_cast<png_byte>(p);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (std::fclose(f) != 0) ok = false;
  if (!ok) error = "cannot write " + path;
  return ok;
}

std::string PictureName(const std::string& pattern, int index) {
  const std::size_t at = pattern.find("%d");
  if (at == std::string::npos) return pattern;
  return pattern.substr(0, at) + std::to_string(index) + pattern.substr(at + 2);
}

}  // namespace drvhost
