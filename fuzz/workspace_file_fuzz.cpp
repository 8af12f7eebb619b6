// Fuzz target: loading a workspace record must fail cleanly or succeed for any bytes, read as
// the "cvkData" stream itself and, when they form a compound file, through its stream.
#include "engine/core/workspace.h"
#include "platform/storage/compound_file.h"
#include "platform/storage/memory_stream.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void LoadWorkspace(IStream* stream) {
    auto workspace = cvk::MakeObject<cvk::Workspace>();
    if (SUCCEEDED(workspace->Load(stream))) {
        // A loaded workspace answers its getters and saves again.
        VARIANT_BOOL flag = VARIANT_FALSE;
        workspace->get_RequiresSave(&flag);
        cvk::Bstr text;
        workspace->get_MapFilePath(text.put());
        cvk::ComPtr<IStream> out;
        if (SUCCEEDED(CreateMemoryStream(out.put())))
            workspace->Save(out.get(), TRUE);
    }
    SetErrorInfo(0, nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return -1; // workspace files are small; larger inputs only slow the search down
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    cvk::ComPtr<IStream> raw;
    if (SUCCEEDED(CreateMemoryStreamOn(bytes, raw.put())))
        LoadWorkspace(raw.get());

    cvk::ComPtr<IStorage> storage;
    if (FAILED(cvk::storage::OpenCompoundFileBytes(bytes, storage.put())))
        return 0;
    cvk::ComPtr<IStream> stream;
    if (SUCCEEDED(storage->OpenStream(u"cvkData", STGM_READ, stream.put())))
        LoadWorkspace(stream.get());
    return 0;
}
