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

// Unknown when the bytes are neither format, or when the header that gives the size is missing,
// cut short or gives a zero size.
PictureInfo ProbePicture(std::string_view bytes);

} // namespace modweave
