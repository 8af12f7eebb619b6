// Shared fixtures of the map-file tests: a small map file and loading of written bytes.
#pragma once

#include "engine/core/bios_image.h"
#include "tools/cvkgen/map_writer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace cvk::testing {

// A small map file that uses every kind of record, written by hand, not from a description.
cvkgen::MapFileContent SmallMap();

// A file in a folder of its own that is removed with the object.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return path_; }
    void Write(const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path dir_;
    std::string path_;
};

// Writes `bytes` to a scratch file and loads it through BiosImage::Load.
HRESULT LoadWritten(const std::vector<std::uint8_t>& bytes, BiosImage& image);

// Writes `content` with `options` and loads the result.
HRESULT LoadContent(const cvkgen::MapFileContent& content, BiosImage& image,
                    const cvkgen::LayoutOptions& options = {});

} // namespace cvk::testing
