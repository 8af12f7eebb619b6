// Reader and writer of modular flash images: the file headers, the chain and the image body.
#include "modweave/image_format.h"

#include "platform/storage/atomic_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <unordered_set>

namespace modweave {
namespace {

constexpr char kSignature[8] = {'M', 'W', 'F', 'L', 'A', 'S', 'H', 0x1A};
constexpr std::size_t kVersionOffset = 8;
constexpr std::size_t kHeaderSizeOffset = 10;
constexpr std::size_t kPartIndexOffset = 12;
constexpr std::size_t kPartLengthOffset = 16;
constexpr std::size_t kPartCrcOffset = 20;
constexpr std::size_t kBodyLengthOffset = 24;
constexpr std::size_t kBodyCrcOffset = 28;

// Smallest encoded module: handle, type, flags, size, two text lengths, dependency count and
// payload length.
constexpr std::size_t kMinModuleBytes = 8 * 4;

// ---- little-endian building blocks ----

void PutU32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}
void PutBlob(std::string& out, std::string_view bytes) {
    PutU32(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
}
void SetU16At(std::string& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8);
}
void SetU32At(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
std::uint16_t U16At(std::string_view in, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(in[at]) |
                                      static_cast<std::uint8_t>(in[at + 1]) << 8);
}
std::uint32_t U32At(std::string_view in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<std::uint8_t>(in[at + i]);
    return v;
}

// Reads fields in order and fails, never overreads, when the input runs out.
class Cursor {
public:
    explicit Cursor(std::string_view in) : in_(in) {}
    std::size_t remaining() const { return in_.size() - at_; }
    bool AtEnd() const { return at_ == in_.size(); }

    bool U8(std::uint8_t* v) {
        if (remaining() < 1)
            return false;
        *v = static_cast<std::uint8_t>(in_[at_++]);
        return true;
    }
    bool U32(std::uint32_t* v) {
        if (remaining() < 4)
            return false;
        *v = U32At(in_, at_);
        at_ += 4;
        return true;
    }
    bool Blob(std::string* out) {
        std::uint32_t length = 0;
        if (!U32(&length) || length > remaining())
            return false;
        out->assign(in_.substr(at_, length));
        at_ += length;
        return true;
    }

private:
    std::string_view in_;
    std::size_t at_ = 0;
};

bool Fail(std::string* why, std::string text) {
    if (why)
        *why = std::move(text);
    return false;
}

// ---- body ----

// Module flag bits.
constexpr std::uint32_t kRequired = 0x1;
constexpr std::uint32_t kDefault = 0x2;
constexpr std::uint32_t kUserUpdateable = 0x4;
constexpr std::uint32_t kSelected = 0x8;

std::uint32_t FlagsOf(const Module& m) {
    std::uint32_t flags = 0;
    flags |= m.required ? kRequired : 0u;
    flags |= m.isDefault ? kDefault : 0u;
    flags |= m.userUpdateable ? kUserUpdateable : 0u;
    flags |= m.selected ? kSelected : 0u;
    return flags;
}

void EncodeModule(std::string& out, const Module& m) {
    PutU32(out, m.handle);
    PutU32(out, m.type);
    PutU32(out, FlagsOf(m));
    PutU32(out, m.size);
    PutBlob(out, m.shortDesc);
    PutBlob(out, m.longDesc);
    PutU32(out, static_cast<std::uint32_t>(m.deps.size()));
    for (std::uint32_t dep : m.deps)
        PutU32(out, dep);
    PutBlob(out, m.payload);
}

void EncodeLogo(std::string& out, const LogoSettings& logo) {
    PutU32(out, logo.badgeX);
    PutU32(out, logo.badgeY);
    out.push_back(logo.displayBadge ? 1 : 0);
    out.push_back(static_cast<char>(logo.resolution));
    PutBlob(out, logo.imageName);
    PutBlob(out, logo.imageBytes);
}

bool DecodeModule(Cursor& in, std::size_t index, Module* m, std::string* why) {
    std::string where = "module " + std::to_string(index) + ": ";
    std::uint32_t flags = 0;
    if (!in.U32(&m->handle) || !in.U32(&m->type) || !in.U32(&flags) || !in.U32(&m->size))
        return Fail(why, where + "cut short");
    if (m->size > kMaxSize)
        return Fail(why, where + "size " + std::to_string(m->size) + " out of range");
    m->required = flags & kRequired;
    m->isDefault = flags & kDefault;
    m->userUpdateable = flags & kUserUpdateable;
    m->selected = flags & kSelected;
    if (!in.Blob(&m->shortDesc) || !in.Blob(&m->longDesc))
        return Fail(why, where + "description runs past the end");
    std::uint32_t depCount = 0;
    if (!in.U32(&depCount) || depCount > in.remaining() / 4)
        return Fail(why, where + "dependency count beyond the data");
    m->deps.resize(depCount);
    for (std::uint32_t& dep : m->deps)
        in.U32(&dep);
    if (!in.Blob(&m->payload))
        return Fail(why, where + "payload runs past the end");
    return true;
}

bool DecodeLogo(Cursor& in, LogoSettings* logo, std::string* why) {
    std::uint8_t display = 0;
    std::uint8_t resolution = 0;
    bool complete =
        in.U32(&logo->badgeX) && in.U32(&logo->badgeY) && in.U8(&display) && in.U8(&resolution);
    if (!complete)
        return Fail(why, "logo settings cut short");
    if (display > 1)
        return Fail(why, "logo badge flag " + std::to_string(display) + " is not 0 or 1");
    if (resolution > 2)
        return Fail(why, "logo resolution " + std::to_string(resolution) + " is not 0, 1 or 2");
    if (logo->badgeX > kMaxSize || logo->badgeY > kMaxSize)
        return Fail(why, "badge position out of range");
    logo->displayBadge = display == 1;
    logo->resolution = resolution;
    if (!in.Blob(&logo->imageName) || !in.Blob(&logo->imageBytes))
        return Fail(why, "logo image runs past the end");
    return true;
}

// ---- headers and chain ----

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string BaseNameOf(const std::string& fileName) {
    return std::filesystem::path(fileName).filename().stem().string();
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// A continuation name must stay in the first file's folder and carry its base name.
bool NameUsable(const std::string& name, const std::string& baseUpper, std::string* why) {
    if (name.empty())
        return Fail(why, "empty continuation name");
    if (name.size() >= kNextNameSize)
        return Fail(why, "continuation name \"" + name + "\" longer than 259 bytes");
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name == "." || name == "..")
        return Fail(why, "continuation name \"" + name + "\" is not a file name");
    if (UpperAscii(name).find(baseUpper) == std::string::npos)
        return Fail(why, "continuation name \"" + name + "\" lacks the base name");
    return true;
}

struct PartHeader {
    std::uint16_t index = 0;
    std::uint32_t partLength = 0;
    std::uint32_t partCrc = 0;
    std::uint32_t bodyLength = 0;
    std::uint32_t bodyCrc = 0;
    bool last = true;
    std::string nextName;
};

bool ParseHeader(std::string_view file, PartHeader* h, std::string* why) {
    if (U16At(file, kVersionOffset) != kFormatVersion)
        return Fail(why, "format version " + std::to_string(U16At(file, kVersionOffset)) +
                             ", expected " + std::to_string(kFormatVersion));
    if (U16At(file, kHeaderSizeOffset) != kHeaderSize)
        return Fail(why, "header size " + std::to_string(U16At(file, kHeaderSizeOffset)));
    h->index = U16At(file, kPartIndexOffset);
    h->partLength = U32At(file, kPartLengthOffset);
    h->partCrc = U32At(file, kPartCrcOffset);
    h->bodyLength = U32At(file, kBodyLengthOffset);
    h->bodyCrc = U32At(file, kBodyCrcOffset);
    h->last = static_cast<std::uint8_t>(file[kLastFileFlagOffset]) == kLastFile;
    if (h->partLength != file.size() - kHeaderSize)
        return Fail(why, "part length " + std::to_string(h->partLength) + ", file holds " +
                             std::to_string(file.size() - kHeaderSize));
    if (Crc32(file.substr(kHeaderSize)) != h->partCrc)
        return Fail(why, "part checksum does not match");
    if (h->last)
        return true;
    std::string_view field = file.substr(kNextNameOffset, kNextNameSize);
    std::size_t end = field.find('\0');
    if (end == std::string_view::npos)
        return Fail(why, "continuation name without its terminator");
    h->nextName.assign(field.substr(0, end));
    return true;
}

std::string BuildHeader(std::string_view part, std::uint16_t index, std::string_view body,
                        std::uint32_t bodyCrc, const std::string* nextName) {
    std::string header(kHeaderSize, '\0');
    std::memcpy(header.data(), kSignature, sizeof kSignature);
    SetU16At(header, kVersionOffset, kFormatVersion);
    SetU16At(header, kHeaderSizeOffset, kHeaderSize);
    SetU16At(header, kPartIndexOffset, index);
    SetU32At(header, kPartLengthOffset, static_cast<std::uint32_t>(part.size()));
    SetU32At(header, kPartCrcOffset, Crc32(part));
    SetU32At(header, kBodyLengthOffset, static_cast<std::uint32_t>(body.size()));
    SetU32At(header, kBodyCrcOffset, bodyCrc);
    header[kLastFileFlagOffset] = static_cast<char>(nextName ? kMoreFiles : kLastFile);
    if (nextName)
        std::memcpy(header.data() + kNextNameOffset, nextName->data(), nextName->size());
    return header;
}

ReadResult Result(ReadStatus status, std::string message, std::vector<std::string> files = {}) {
    return ReadResult{status, std::move(message), std::move(files)};
}

enum class FileRead { Ok, Missing, Failed };

// Reads a whole file; its size on disk bounds the buffer.
FileRead ReadWholeFile(const std::filesystem::path& path, std::string* bytes) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return std::filesystem::exists(path, ec) ? FileRead::Failed : FileRead::Missing;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return FileRead::Failed;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxSize)
        return FileRead::Failed;
    bytes->resize(static_cast<std::size_t>(size));
    in.read(bytes->data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return FileRead::Failed;
    return FileRead::Ok;
}

} // namespace

std::uint32_t Crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char ch : bytes)
        crc = table[(crc ^ static_cast<std::uint8_t>(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string EncodeBody(const Image& image) {
    std::string out;
    PutU32(out, image.flashPartSize);
    PutBlob(out, image.version);
    PutBlob(out, image.requiredContent);
    PutU32(out, static_cast<std::uint32_t>(image.modules.size()));
    for (const Module& m : image.modules)
        EncodeModule(out, m);
    EncodeLogo(out, image.logo);
    return out;
}

bool DecodeBody(std::string_view body, Image* image, std::string* why) {
    Image decoded;
    Cursor in(body);
    if (!in.U32(&decoded.flashPartSize))
        return Fail(why, "image body cut short");
    if (decoded.flashPartSize > kMaxSize)
        return Fail(why, "flash part size out of range");
    if (!in.Blob(&decoded.version) || !in.Blob(&decoded.requiredContent))
        return Fail(why, "version or required content runs past the end");
    std::uint32_t count = 0;
    if (!in.U32(&count) || count > in.remaining() / kMinModuleBytes)
        return Fail(why, "module count beyond the data");
    decoded.modules.resize(count);
    std::unordered_set<std::uint32_t> handles;
    for (std::size_t i = 0; i < count; ++i) {
        if (!DecodeModule(in, i, &decoded.modules[i], why))
            return false;
        if (!handles.insert(decoded.modules[i].handle).second)
            return Fail(why, "module handle " + std::to_string(decoded.modules[i].handle) +
                                 " appears twice");
    }
    if (!DecodeLogo(in, &decoded.logo, why))
        return false;
    if (!in.AtEnd())
        return Fail(why, std::to_string(in.remaining()) + " stray bytes after the image body");
    *image = std::move(decoded);
    return true;
}

bool HasImageSignature(std::string_view bytes) {
    return bytes.size() >= kHeaderSize &&
           std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

ReadResult ReadImageChain(std::string_view firstBytes, const std::string& firstName,
                          const FileLoader& load, Image* image) {
    if (!HasImageSignature(firstBytes))
        return Result(ReadStatus::NotModular, firstName + ": not a modular flash image");
    const std::string baseUpper = UpperAscii(BaseNameOf(firstName));
    std::vector<std::string> files{firstName};
    std::set<std::string> visited{firstName};
    std::string body;
    std::string current(firstBytes);
    PartHeader first;
    for (std::uint16_t index = 0;; ++index) {
        const std::string& name = files.back();
        PartHeader h;
        std::string why;
        if (!HasImageSignature(current))
            return Result(ReadStatus::Damaged, name + ": continuation file without the signature",
                          files);
        if (!ParseHeader(current, &h, &why))
            return Result(ReadStatus::Damaged, name + ": " + why, files);
        if (index == 0)
            first = h;
        if (h.index != index || h.bodyLength != first.bodyLength || h.bodyCrc != first.bodyCrc)
            return Result(ReadStatus::Damaged, name + ": part of another image", files);
        if (h.partLength > first.bodyLength - body.size())
            return Result(ReadStatus::Damaged, name + ": parts longer than the image", files);
        body.append(current, kHeaderSize);
        if (h.last)
            break;
        if (!NameUsable(h.nextName, baseUpper, &why))
            return Result(ReadStatus::Damaged, name + ": " + why, files);
        if (!visited.insert(h.nextName).second)
            return Result(ReadStatus::Damaged, name + ": chain returns to " + h.nextName, files);
        if (files.size() >= kMaxChainFiles)
            return Result(ReadStatus::Damaged,
                          "chain longer than " + std::to_string(kMaxChainFiles) + " files", files);
        files.push_back(h.nextName);
        current.clear();
        if (!load(h.nextName, &current))
            return Result(ReadStatus::Damaged, h.nextName + ": continuation file cannot be read",
                          files);
    }
    if (body.size() != first.bodyLength)
        return Result(ReadStatus::Damaged, "image shorter than its header says", files);
    if (Crc32(body) != first.bodyCrc)
        return Result(ReadStatus::Damaged, "image checksum does not match", files);
    std::string why;
    if (!DecodeBody(body, image, &why))
        return Result(ReadStatus::Damaged, firstName + ": " + why, files);
    return Result(ReadStatus::Ok, {}, files);
}

ReadResult ReadImageFile(const std::string& path, Image* image) {
    std::filesystem::path first(path);
    std::string bytes;
    FileRead read = ReadWholeFile(first, &bytes);
    if (read == FileRead::Missing)
        return Result(ReadStatus::NotModular, path + ": no such file");
    if (read == FileRead::Failed)
        return Result(ReadStatus::Unreadable, path + ": cannot be read");
    std::filesystem::path folder = first.parent_path();
    FileLoader load = [&folder](const std::string& name, std::string* out) {
        return ReadWholeFile(folder / name, out) == FileRead::Ok;
    };
    return ReadImageChain(bytes, FileNameOf(path), load, image);
}

std::vector<std::string> ContinuationNames(const std::string& firstName, std::size_t count) {
    std::vector<std::string> names;
    if (count == 0)
        return names;
    names.push_back(firstName);
    std::filesystem::path p(firstName);
    std::string stem = p.stem().string();
    std::string ext = p.extension().string();
    for (std::size_t i = 1; i < count; ++i)
        names.push_back(stem + "_" + std::to_string(i + 1) + ext);
    return names;
}

bool EncodeImageFiles(const Image& image, const std::vector<std::string>& names,
                      std::vector<std::string>* files, std::string* why) {
    if (names.empty() || names.size() > kMaxChainFiles)
        return Fail(why, "an image takes 1 to " + std::to_string(kMaxChainFiles) + " files");
    const std::string baseUpper = UpperAscii(BaseNameOf(names[0]));
    std::set<std::string> seen{names[0]};
    for (std::size_t i = 1; i < names.size(); ++i) {
        if (!NameUsable(names[i], baseUpper, why))
            return false;
        if (!seen.insert(names[i]).second)
            return Fail(why, "file name \"" + names[i] + "\" given twice");
    }
    std::string body = EncodeBody(image);
    if (body.size() > kMaxSize)
        return Fail(why, "image larger than 2 GB");
    std::uint32_t bodyCrc = Crc32(body);
    std::size_t partSize = body.size() / names.size();
    files->clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::size_t begin = i * partSize;
        std::size_t length = i + 1 == names.size() ? body.size() - begin : partSize;
        std::string_view part = std::string_view(body).substr(begin, length);
        const std::string* next = i + 1 < names.size() ? &names[i + 1] : nullptr;
        std::string file = BuildHeader(part, static_cast<std::uint16_t>(i), body, bodyCrc, next);
        file.append(part);
        files->push_back(std::move(file));
    }
    return true;
}

HRESULT WriteImageFiles(const Image& image, const std::string& folder,
                        const std::vector<std::string>& names, std::string* why) {
    std::vector<std::string> files;
    if (!EncodeImageFiles(image, names, &files, why))
        return E_INVALIDARG;
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string path = (std::filesystem::path(folder) / names[i]).string();
        HRESULT hr = cvk::storage::WriteFileAtomically(path, files[i]);
        if (FAILED(hr)) {
            Fail(why, path + ": cannot be written");
            return hr;
        }
    }
    return S_OK;
}

} // namespace modweave
