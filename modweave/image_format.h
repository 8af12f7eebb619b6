// The modular flash image format: its in-memory form, reader and writer (docs/flash-image.md).
#pragma once

#include "platform/com/types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace modweave {

// One module of an image's catalogue. Texts are 8-bit Windows-1252; payloads are raw bytes.
struct Module {
    std::uint32_t handle = 0;
    std::uint32_t type = 0; // 1 language, 2 logo, 3 badge, anything else normal
    bool required = false;
    bool isDefault = false;
    bool userUpdateable = false;
    bool selected = false; // the selection the image records (an update file: every module)
    std::string shortDesc;
    std::string longDesc;
    std::uint32_t size = 0; // bytes the module takes in the flash part
    std::vector<std::uint32_t> deps;
    std::string payload;
};

// The user's splash logo and the badge drawn over it.
struct LogoSettings {
    std::string imageName;  // UTF-8, the file name as the user gave it
    std::string imageBytes; // the JPEG or BMP file as read
    std::uint32_t badgeX = 0;
    std::uint32_t badgeY = 0;
    bool displayBadge = false;
    std::uint8_t resolution = 0; // 0: 640 by 480, 1: 800 by 600, 2: 1024 by 768
};

struct Image {
    std::string version;             // Windows-1252
    std::uint32_t flashPartSize = 0; // 0 when the image suggests none
    std::string requiredContent;
    std::vector<Module> modules;
    LogoSettings logo;
};

// Layout constants every file of an image shares.
constexpr std::size_t kHeaderSize = 384;
constexpr std::size_t kLastFileFlagOffset = 89;
constexpr std::size_t kNextNameOffset = 96;
constexpr std::size_t kNextNameSize = 260;
constexpr std::uint8_t kLastFile = 0xFF;
constexpr std::uint8_t kMoreFiles = 0x00;
constexpr std::uint16_t kFormatVersion = 1;
// A chain longer than this is damaged, not followed.
constexpr std::size_t kMaxChainFiles = 64;
// Values the interfaces carry as 32-bit signed numbers must fit them.
constexpr std::uint32_t kMaxSize = 0x7FFFFFFF;

enum class ReadStatus {
    Ok,
    NotModular, // missing, too short or without the signature
    Damaged,    // has the signature, but the image cannot be read as written
    Unreadable, // the first file exists but cannot be read
};

struct ReadResult {
    ReadStatus status = ReadStatus::Ok;
    std::string message;            // what is wrong, and in which file
    std::vector<std::string> files; // names of the files read, in chain order
    bool ok() const { return status == ReadStatus::Ok; }
};

// The bytes of one image; an empty body yields an empty catalogue.
std::string EncodeBody(const Image& image);
// Strict: every count and length is checked against what remains, and the body must end exactly
// where its last field does. False with `why` set when it does not.
bool DecodeBody(std::string_view body, Image* image, std::string* why);

// True when `bytes` starts with a complete header carrying the signature.
bool HasImageSignature(std::string_view bytes);

// Asked for a continuation file by the name stored in the previous file. Returns false when the
// file cannot be opened.
using FileLoader = std::function<bool(const std::string& name, std::string* bytes)>;

// Reads the image that starts with `firstBytes` (the file named `firstName`), following the chain
// of continuation files through `load`.
ReadResult ReadImageChain(std::string_view firstBytes, const std::string& firstName,
                          const FileLoader& load, Image* image);
// Reads the image file at `path` (UTF-8) and its continuation files in the same folder.
ReadResult ReadImageFile(const std::string& path, Image* image);

// Names for an image of `count` files: the first as given, then "<base>_<n><ext>".
std::vector<std::string> ContinuationNames(const std::string& firstName, std::size_t count);

// Splits the image into one file per name (names[0] is the first file); each file names the next.
// False with `why` when a name is unusable (empty, a folder part, too long, or missing the first
// file's base name) or there are no names.
bool EncodeImageFiles(const Image& image, const std::vector<std::string>& names,
                      std::vector<std::string>* files, std::string* why);
// Writes the files into `folder`, each replaced atomically. A storage status on failure.
HRESULT WriteImageFiles(const Image& image, const std::string& folder,
                        const std::vector<std::string>& names, std::string* why);

std::uint32_t Crc32(std::string_view bytes);

} // namespace modweave
