// libFuzzer target: BiosImage parsing of arbitrary map-file bytes and lookups on the result.
#include "engine/cmos/cmos.h"
#include "engine/core/bios_image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Real map files are tens of kilobytes; larger inputs only slow the search down.
    if (size > (1u << 20))
        return 0;
    cvk::BiosImage image;
    if (FAILED(image.LoadFromBytes(std::vector<std::uint8_t>(data, data + size))))
        return 0;
    const cvk::BuildInfo* build = nullptr;
    if (SUCCEEDED(image.GetBuildInfo(&build)))
        (void)build->BuildDate();
    const cvk::BiosStringTable* strings = nullptr;
    const cvk::ControlList* controls = nullptr;
    if (FAILED(image.GetStringTable(&strings)) || FAILED(image.GetControlList(&controls)))
        return 0;
    std::u16string text;
    for (const cvk::ControlRecord& control : controls->records) {
        strings->Lookup(control.promptStringId, text);
        for (const cvk::ControlOption& option : control.options)
            strings->Lookup(option.stringId, text);
    }
    for (std::uint32_t id : {0u, 1u, 0x7FFFu, 0xFFFEu})
        strings->Lookup(static_cast<std::uint16_t>(id), text);
    // The whole CMOS tree, as a new workspace builds it.
    auto cmos = cvk::MakeObject<cvk::Cmos>();
    (void)cmos->BuildFromBiosImage(image);
    return 0;
}
