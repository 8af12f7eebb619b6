// libFuzzer target: the module engine's saved state, loaded from a stream and used.
#include "modweave/engine.h"
#include "modweave/picture_info.h"
#include "platform/com/comptr.h"
#include "platform/com/errorinfo.h"
#include "platform/storage/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    modweave::ProbePicture(bytes);
    cvk::ComPtr<IModweaveEngine> engine;
    cvk::ComPtr<IStream> stream;
    if (FAILED(modweave::CreateEngine(engine.put())) ||
        FAILED(CreateMemoryStreamOn(bytes, stream.put())))
        return 0;
    if (SUCCEEDED(engine->LoadState(stream.get()))) {
        // What loaded must answer every question and save again.
        VARIANT_BOOL valid = 0;
        LONG space = 0;
        engine->get_SelectionValid(&valid);
        engine->get_RequiredSpace(&space);
        cvk::ComPtr<IStream> saved;
        if (SUCCEEDED(CreateMemoryStream(saved.put())))
            engine->SaveState(saved.get(), VARIANT_TRUE);
    }
    SetErrorInfo(0, nullptr);
    return 0;
}
