// Writes a few small compound files as the starting corpus of storage_fuzz.
#include "platform/storage/compound_file.h"
#include "platform/storage/storage_internal.h"

#include <cstdio>
#include <string>

namespace {

bool WriteSeed(const std::string& path, unsigned sectorShift,
               std::initializer_list<std::pair<const char16_t*, std::size_t>> streams) {
    IStorage* storage = nullptr;
    if (FAILED(cvk::storage::detail::CreateCompoundStorage(
            path.c_str(), STGM_CREATE | STGM_READWRITE, sectorShift, &storage)))
        return false;
    bool ok = true;
    for (auto [name, size] : streams) {
        IStream* stream = nullptr;
        ok = ok && SUCCEEDED(storage->CreateStream(name, STGM_READWRITE, &stream));
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 31 + 7);
        ok = ok && SUCCEEDED(stream->Write(bytes.data(), static_cast<ULONG>(size), nullptr));
        if (stream)
            stream->Release();
    }
    ok = ok && SUCCEEDED(storage->Commit(STGC_DEFAULT));
    storage->Release();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: storage_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = WriteSeed(folder + "/empty.cvw", 9, {{u"cvkData", 0}}) &&
              WriteSeed(folder + "/mini.cvw", 9, {{u"cvkData", 300}}) &&
              WriteSeed(folder + "/regular.cvw", 9, {{u"cvkData", 5000}, {u"Other", 70}}) &&
              WriteSeed(folder + "/three.cvw", 9, {{u"a", 10}, {u"b", 4100}, {u"c", 64}}) &&
              WriteSeed(folder + "/v4.cvw", 12, {{u"cvkData", 5000}, {u"small", 100}});
    return ok ? 0 : 1;
}
