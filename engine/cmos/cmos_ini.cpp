// The CMOS sections of the INI file: image, mask, lock/hide table, language pack, boot order.
#include "engine/cmos/cmos.h"

#include "engine/output/ini_writer.h"
#include "platform/com/errorinfo.h"
#include "platform/text/codepage.h"

#include <array>
#include <string>
#include <vector>

namespace cvk {
namespace {

constexpr std::size_t kImageSize = 256;
// The encoding's limit: 8 keys of 64 characters hold 256 bytes, 128 lock/hide entries.
constexpr std::size_t kMaxPieces = 8;
constexpr std::size_t kPieceLength = 64;
constexpr std::uint64_t kMaxLockHideEntries = 128;

std::u16string Decimal(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// The buffers of one WriteIni run.
struct ImageBuffers {
    std::array<std::uint8_t, kImageSize> image{};
    std::array<std::uint8_t, kImageSize> mask{};
    std::vector<std::uint8_t> table; // locked token IDs in the first half, hidden in the second
    std::size_t lockAt = 0;
    std::size_t hideAt = 0;
    std::size_t half = 0;
};

// An entry goes in only where both of its bytes fit in its half.
HRESULT StoreToken(std::vector<std::uint8_t>& table, std::size_t& at, std::size_t end,
                   std::uint16_t token) {
    if (at + 2 > end)
        return E_FAIL;
    table[at] = static_cast<std::uint8_t>(token & 0xFF);
    table[at + 1] = static_cast<std::uint8_t>(token >> 8);
    at += 2;
    return S_OK;
}

HRESULT WriteImage(const SettingNode& setting, ImageBuffers& out) {
    const std::uint16_t offset = setting.BitOffset();
    if (offset == 0)
        return S_FALSE; // no place in the image, and no lock/hide entry either
    const ChoiceNode* current = setting.Current();
    if (!current)
        return E_FAIL;
    const std::size_t index = offset / 8;
    // Offsets past the 256 bytes address nothing: such a setting writes no image bits.
    if (index < kImageSize) {
        const unsigned shift = offset % 8;
        const unsigned bits = (setting.BitMask() & 0xFFu) << shift;
        const unsigned value =
            (static_cast<std::uint16_t>(current->Value()) & setting.BitMask() & 0xFFu) << shift;
        out.image[index] = static_cast<std::uint8_t>((out.image[index] & ~bits) | value);
        out.mask[index] = static_cast<std::uint8_t>(out.mask[index] & ~bits);
    }
    if (setting.Locked())
        return StoreToken(out.table, out.lockAt, out.half, setting.TokenId());
    if (setting.Hidden())
        return StoreToken(out.table, out.hideAt, out.table.size(), setting.TokenId());
    return S_OK;
}

// Children first (a child's failure ends only its own walk), then the group's own settings.
HRESULT WriteImage(const GroupNode& group, ImageBuffers& out) {
    for (const ComPtr<GroupNode>& child : group.Children().Items())
        (void)WriteImage(*child, out);
    for (const ComPtr<SettingNode>& setting : group.Settings().Items())
        CVK_RETURN_IF_FAILED(WriteImage(*setting, out));
    return S_OK;
}

std::uint16_t BufferChecksum(const std::uint8_t* bytes, std::size_t size) {
    return IniChecksum(std::string_view(reinterpret_cast<const char*>(bytes), size));
}

// Each byte as two capitals: "A" plus the high nibble, "A" plus the low nibble.
std::string EncodeBuffer(const std::uint8_t* bytes, std::size_t size) {
    std::string text;
    text.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        text += static_cast<char>('A' + (bytes[i] >> 4));
        text += static_cast<char>('A' + (bytes[i] & 0x0F));
    }
    return text;
}

HRESULT WritePieces(IniFile& ini, const char* section, const std::string& text) {
    if (text.size() > kMaxPieces * kPieceLength)
        return E_FAIL;
    for (std::size_t k = 0; k * kPieceLength < text.size(); ++k) {
        const std::string key = "Image" + std::to_string(k + 1);
        CVK_RETURN_IF_FAILED(
            IniResult(ini.SetString(section, key, text.substr(k * kPieceLength, kPieceLength))));
    }
    return S_OK;
}

const char* BootDeviceKey(std::u16string_view choice) {
    if (choice == u"Hard Drive")
        return "HardDrive";
    if (choice == u"ATAPI CD-ROM")
        return "CD-ROM";
    return "RemovableDevices";
}

} // namespace

HRESULT Cmos::LanguagePackName(std::u16string* name) const {
    if (!name)
        return E_POINTER;
    name->clear();
    const SettingNode* language = FindByKeyword(u"CMOS_LANGUAGE");
    const ChoiceNode* current = language ? language->Current() : nullptr;
    if (!current)
        return S_OK;
    const std::u16string_view text = current->Name().view();
    const std::size_t dash = text.find(u" - ");
    if (dash != std::u16string_view::npos)
        *name = std::u16string(text.substr(dash + 3));
    return S_OK;
}

HRESULT Cmos::WriteIni(IniFile& ini) const {
    if (!root_)
        return E_FAIL;
    // The encoding holds at most 128 entries; refusing a larger table before it is allocated
    // keeps a hostile map file from making the engine allocate without bound.
    const std::uint64_t entries = std::uint64_t{maxLock_} + maxHide_;
    if (entries > kMaxLockHideEntries)
        return ReportError(kCmosErrorSource,
                           u"The BIOS asks for " + Decimal(maxLock_) + u" lock and " +
                               Decimal(maxHide_) + u" hide entries; the table holds " +
                               Decimal(kMaxLockHideEntries) + u".",
                           E_FAIL);
    ImageBuffers buffers;
    buffers.mask.fill(0xFF);
    buffers.table.assign(static_cast<std::size_t>(entries) * 2, 0);
    buffers.half = buffers.table.size() / 2;
    buffers.hideAt = buffers.half;
    CVK_RETURN_IF_FAILED(WriteImage(*root_, buffers));

    const std::uint8_t* table = buffers.table.data();
    const std::size_t tableSize = buffers.table.size();
    CVK_RETURN_IF_FAILED(IniResult(ini.SetInt("CMOS.ImageData", "CheckSum",
                                              BufferChecksum(buffers.image.data(), kImageSize))));
    CVK_RETURN_IF_FAILED(IniResult(
        ini.SetInt("CMOS.ImageMask", "CheckSum", BufferChecksum(buffers.mask.data(), kImageSize))));
    CVK_RETURN_IF_FAILED(
        IniResult(ini.SetInt("CMOS.LockHide", "CheckSum", BufferChecksum(table, tableSize))));
    CVK_RETURN_IF_FAILED(
        WritePieces(ini, "CMOS.ImageData", EncodeBuffer(buffers.image.data(), kImageSize)));
    CVK_RETURN_IF_FAILED(
        WritePieces(ini, "CMOS.ImageMask", EncodeBuffer(buffers.mask.data(), kImageSize)));
    CVK_RETURN_IF_FAILED(WritePieces(ini, "CMOS.LockHide", EncodeBuffer(table, tableSize)));

    std::u16string pack;
    CVK_RETURN_IF_FAILED(LanguagePackName(&pack));
    CVK_RETURN_IF_FAILED(
        IniResult(ini.SetString("CMOS.Values", "LanguageFile", text::EncodeWindows1252(pack))));
    return WriteBootOrder(ini);
}

HRESULT Cmos::WriteBootOrder(IniFile& ini) const {
    static constexpr std::u16string_view kPositions[] = {u"CMOS_1STBOOTDEV", u"CMOS_2NDBOOTDEV",
                                                         u"CMOS_3RDBOOTDEV"};
    if (!FindByKeyword(kPositions[0]))
        return S_OK;
    for (int position = 1; position <= 3; ++position) {
        const SettingNode* setting = FindByKeyword(kPositions[position - 1]);
        const ChoiceNode* current = setting ? setting->Current() : nullptr;
        if (!current)
            continue; // only the positions that exist and have an answer are written
        CVK_RETURN_IF_FAILED(IniResult(
            ini.SetInt("BootableDevices", BootDeviceKey(current->Name().view()), position)));
    }
    return S_OK;
}

} // namespace cvk
