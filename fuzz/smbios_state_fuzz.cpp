// libFuzzer target: the SMBIOS list's record, loaded from a stream and used.
#include "engine/output/ini_writer.h"
#include "engine/smbios/smbios_list.h"
#include "platform/com/errorinfo.h"
#include "platform/storage/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16))
        return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cvk::ComPtr<IStream> stream;
    if (FAILED(CreateMemoryStreamOn(bytes, stream.put())))
        return 0;
    cvk::ComPtr<cvk::SmbiosList> list = cvk::MakeObject<cvk::SmbiosList>();
    if (SUCCEEDED(list->Load(stream.get()))) {
        // Whatever loaded must dump, save and load again.
        cvk::IniWriter ini;
        list->WriteIni(ini);
        cvk::ComPtr<IStream> saved;
        if (SUCCEEDED(CreateMemoryStream(saved.put())) &&
            SUCCEEDED(list->Save(saved.get(), TRUE))) {
            saved->Seek(0, STREAM_SEEK_SET, nullptr);
            if (FAILED(cvk::MakeObject<cvk::SmbiosList>()->Load(saved.get())))
                std::abort();
        }
        list->ClearAllStrings();
        list->ResetAllPromptFlags();
    }
    SetErrorInfo(0, nullptr);
    return 0;
}
