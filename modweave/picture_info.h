// Recognises the logo picture formats (BMP and JPEG) and reads their width and height.
#pragma once

#include <cstdint>
#include <string_view>

namespace modweave {

enum class PictureFormat { Unknown, Bmp, Jpeg };

struct PictureInfo {
    PictureFormat format = PictureFormat::Unknown;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Unknown when the bytes are neither format or not a whole picture: a BMP whose bit depth,
// compression or pixel data (against the file's size) is wrong; a JPEG whose segments do not
// run from SOI through one complete frame header to EOI. A firmware's picture decoder is
// never handed a damaged picture.
PictureInfo ProbePicture(std::string_view bytes);

} // namespace modweave
