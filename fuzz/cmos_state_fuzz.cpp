// libFuzzer target: the CMOS part of a workspace stream, then everything a loaded tree feeds.
#include "engine/cmos/cmos.h"
#include "engine/output/ini_writer.h"
#include "platform/storage/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return 0;
    cvk::ComPtr<IStream> stream;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (FAILED(CreateMemoryStreamOn(bytes, stream.put())))
        return 0;
    auto cmos = cvk::MakeObject<cvk::Cmos>();
    if (FAILED(cmos->Load(stream.get())))
        return 0;
    // A loaded tree must survive every walk, the INI writer and a save of its own.
    cvk::IniWriter ini;
    (void)cmos->WriteIni(ini);
    LONG count = 0;
    cmos->get_CurNumLockSettings(&count);
    cmos->get_CurNumHideSettings(&count);
    VARIANT_BOOL flag = VARIANT_FALSE;
    cmos->get_NeedsReview(&flag);
    auto copy = cvk::MakeObject<cvk::Cmos>();
    (void)copy->MigrateFrom(*cmos);
    cvk::ComPtr<IStream> out;
    if (SUCCEEDED(CreateMemoryStream(out.put())))
        (void)cmos->Save(out.get(), TRUE);
    (void)cmos->RestoreHalvexDefaults();
    return 0;
}
