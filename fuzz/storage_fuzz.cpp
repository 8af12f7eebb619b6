// Fuzz target: the compound file reader must reject or fully read any bytes.
#include "platform/storage/compound_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 20))
        return -1; // workspace files are small; larger inputs only slow the search down
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    IStorage* storage = nullptr;
    if (FAILED(cvk::storage::OpenCompoundFileBytes(bytes, &storage)))
        return 0;
    std::vector<std::u16string> names;
    cvk::storage::ListRootStreams(storage, &names);
    for (const std::u16string& name : names) {
        IStream* stream = nullptr;
        if (FAILED(storage->OpenStream(name.c_str(), STGM_READ, &stream)))
            continue; // names the storage itself cannot take (too long, '/') are fine to skip
        ULONGLONG length = 0;
        stream->GetSize(&length);
        // A checked file never holds a stream larger than itself.
        if (length > size)
            std::abort();
        std::vector<char> buffer(4096);
        ULONGLONG total = 0;
        ULONG got = 0;
        HRESULT hr = S_OK;
        while (SUCCEEDED(hr = stream->Read(buffer.data(), 4096, &got)) && got > 0)
            total += got;
        // What was checked must read back in full.
        if (FAILED(hr) || total != length)
            std::abort();
        stream->Release();
    }
    storage->Release();
    return 0;
}
