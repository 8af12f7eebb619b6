// Writes seed inputs for the fuzz targets from real ones:
//   fuzz_seed_writer boards FOLDER COUNT   map files of randomised generated boards, laid out
//                                          in varied ways (fixed random seed: reproducible)
//   fuzz_seed_writer records WORKSPACE FOLDER
//                                          the record each part of a saved workspace writes
//                                          (FOLDER/cmos_state_fuzz and the other record targets),
//                                          so that the fuzzers start from what the engine writes
#include "bench/generated_board.h"
#include "engine/core/workspace.h"
#include "platform/com/com.h"
#include "platform/com/persist.h"
#include "platform/storage/compound_file.h"
#include "platform/storage/memory_stream.h"
#include "tools/cvkgen/map_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

void WriteBytes(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int WriteBoards(const fs::path& folder, int count) {
    std::mt19937 random(20261208);
    auto pick = [&random](std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(random);
    };
    for (int i = 0; i < count; ++i) {
        const auto content = bench::GeneratedBoard(pick(1, 120), pick(1, 40), pick(1, 30));
        cvkgen::LayoutOptions layout;
        layout.section0Offset = 16 * pick(1, 8);
        std::shuffle(layout.order.begin(), layout.order.end(), random);
        layout.gap = std::string(pick(24, 40), '\0');
        const auto bytes = cvkgen::WriteMapFile(content, layout);
        WriteBytes(folder / ("generated-" + std::to_string(i) + ".cvk"),
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    return 0;
}

// A part the workspace does not hold (its subsystem is off) gives no seed; a part it holds
// must write one.
bool SavePart(IUnknown* part, const fs::path& path) {
    if (!part)
        return true;
    cvk::ComPtr<IPersistStreamInit> persist;
    cvk::ComPtr<IStream> stream;
    std::string bytes;
    if (FAILED(part->QueryInterface(IPersistStreamInit::iid, persist.put_void())) ||
        FAILED(CreateMemoryStream(stream.put())) || FAILED(persist->Save(stream.get(), FALSE)) ||
        FAILED(GetMemoryStreamBytes(stream.get(), &bytes)))
        return false;
    if (bytes.empty())
        return false;
    WriteBytes(path, bytes);
    return true;
}

int WriteRecords(const fs::path& workspaceFile, const fs::path& folder) {
    cvk::ComPtr<IStorage> storage;
    cvk::ComPtr<IStream> stream;
    auto workspace = cvk::MakeObject<cvk::Workspace>();
    if (FAILED(StgOpenStorage(workspaceFile.c_str(), STGM_READ, storage.put())) ||
        FAILED(storage->OpenStream(u"cvkData", STGM_READ, stream.put())) ||
        FAILED(workspace->Load(stream.get())))
        return 1;
    const std::string name = workspaceFile.stem().string() + ".rec";
    cvk::ComPtr<ICmos> cmos;
    cvk::ComPtr<ISmbiosList> smbios;
    cvk::ComPtr<ITherm> therm;
    cvk::ComPtr<IFlex> flex;
    workspace->get_Cmos(cmos.put());
    workspace->get_SmbiosList(smbios.put());
    workspace->get_Therm(therm.put());
    workspace->get_Flex(flex.put());
    const bool ok = SavePart(cmos.get(), folder / "cmos_state_fuzz" / name) &&
                    SavePart(smbios.get(), folder / "smbios_state_fuzz" / name) &&
                    SavePart(therm.get(), folder / "therm_state_fuzz" / name) &&
                    SavePart(flex.get(), folder / "modweave_state_fuzz" / name);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    // The module part saves through the module engine, which is created by its registration.
    CoInitialize(nullptr);
    try {
        if (argc == 4 && command == "boards")
            return WriteBoards(argv[2], std::stoi(argv[3]));
        if (argc == 4 && command == "records")
            return WriteRecords(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fuzz_seed_writer: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: fuzz_seed_writer boards FOLDER COUNT\n"
                         "       fuzz_seed_writer records WORKSPACE FOLDER\n");
    return 2;
}
