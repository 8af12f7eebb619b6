// libFuzzer target: the thermal object's record, loaded from a stream and used.
#include "engine/output/ini_writer.h"
#include "engine/thermal/co_therm.h"
#include "platform/com/errorinfo.h"
#include "platform/storage/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A saved tree is about 15 kilobytes; larger inputs only slow the search down.
    if (size > (1u << 18))
        return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cvk::ComPtr<IStream> stream;
    if (FAILED(CreateMemoryStreamOn(bytes, stream.put())))
        return 0;
    cvk::ComPtr<cvk::CoTherm> therm = cvk::MakeObject<cvk::CoTherm>();
    if (SUCCEEDED(therm->Load(stream.get()))) {
        // Whatever loaded must answer, reset, dump and save again; the saved record must load.
        cvk::ComPtr<IThermGroup> root;
        therm->get_DataTree(root.put());
        cvk::IniWriter ini;
        therm->WriteIni(ini);
        therm->RestoreHalvexDefaults();
        cvk::ComPtr<IStream> saved;
        if (SUCCEEDED(CreateMemoryStream(saved.put())) &&
            SUCCEEDED(therm->Save(saved.get(), TRUE))) {
            saved->Seek(0, STREAM_SEEK_SET, nullptr);
            if (FAILED(cvk::MakeObject<cvk::CoTherm>()->Load(saved.get())))
                std::abort();
        }
    }
    SetErrorInfo(0, nullptr);
    return 0;
}
