// Shared fixtures of the engine core tests.
#include "tests/engine/core/engine_test_support.h"

#include "modweave/image_format.h"
#include "platform/storage/compound_file.h"
#include "tests/engine/core/map_test_support.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace cvk::testing {

std::string EngineTest::WriteMap(const std::string& name) {
    return WriteMap(name, SmallMap());
}

std::string EngineTest::WriteMap(const std::string& name, const cvkgen::MapFileContent& content) {
    const std::vector<std::uint8_t> bytes = cvkgen::WriteMapFile(content);
    WriteFile(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return PathOf(name);
}

std::string EngineTest::WriteFlashImage(const std::string& name) {
    modweave::Image image;
    image.version = "P1.11";
    image.flashPartSize = 65536;
    image.requiredContent = std::string(1000, '\x5A');
    modweave::Module core;
    core.handle = 1;
    core.required = true;
    core.isDefault = true;
    core.selected = true;
    core.shortDesc = "Core";
    core.size = 4000;
    core.payload = "core";
    image.modules = {core};
    std::string why;
    EXPECT_EQ(modweave::WriteImageFiles(image, folder().string(), {name}, &why), S_OK) << why;
    return PathOf(name);
}

void EngineTest::WriteFile(const std::string& name, std::string_view bytes) const {
    std::ofstream out(folder() / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good());
}

std::string EngineTest::ReadFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ComPtr<IWorkspace> EngineTest::NewWorkspace(LONG mask, const std::string& mapFile) {
    ComPtr<IWorkspace> workspace;
    Bstr path = Bstr::FromUtf8(mapFile);
    EXPECT_EQ(server()->NewWorkspace(mask, path.get(), workspace.put()), S_OK)
        << "mask " << mask << ": " << Bstr(TakeErrorDescription()).utf8();
    return workspace;
}

std::string EngineTest::Save(IWorkspace* workspace, const std::string& name) {
    Bstr path = Bstr::FromUtf8(PathOf(name));
    EXPECT_EQ(server()->SaveWorkspace(workspace, path.get()), S_OK);
    return PathOf(name);
}

HRESULT EngineTest::Open(const std::string& path, ComPtr<IWorkspace>* workspace) {
    Bstr name = Bstr::FromUtf8(path);
    return server()->OpenWorkspace(name.get(), workspace->put());
}

std::string EngineTest::ReadWorkspaceStream(const std::string& path) {
    ComPtr<IStorage> storage;
    EXPECT_EQ(StgOpenStorage(path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, storage.put()), S_OK);
    if (!storage)
        return {};
    ComPtr<IStream> stream;
    EXPECT_EQ(storage->OpenStream(u"cvkData", STGM_READ | STGM_SHARE_EXCLUSIVE, stream.put()),
              S_OK);
    if (!stream)
        return {};
    std::string bytes;
    char buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void EngineTest::WriteWorkspaceStream(const std::string& path, std::string_view bytes) {
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                               storage.put()),
              S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(storage->CreateStream(u"cvkData", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                    stream.put()),
              S_OK);
    ULONG written = 0;
    ASSERT_EQ(stream->Write(bytes.data(), ULONG(bytes.size()), &written), S_OK);
    ASSERT_EQ(written, bytes.size());
    ASSERT_EQ(stream->Commit(STGC_DEFAULT), S_OK);
    ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
}

std::string EngineTest::SavedStream(LONG mask) {
    ComPtr<IWorkspace> workspace = NewWorkspace(mask, WriteMap("saved.cvk"));
    const std::string path = Save(workspace.get(), "saved.cvw");
    EXPECT_EQ(server()->CloseWorkspace(workspace.get()), S_OK);
    return ReadWorkspaceStream(path);
}

HRESULT EngineTest::OpenStream(std::string_view bytes, ComPtr<IWorkspace>* workspace) {
    const std::string path = PathOf("patched.cvw");
    WriteWorkspaceStream(path, bytes);
    server()->CloseWorkspace(nullptr);
    SetErrorInfo(0, nullptr);
    return Open(path, workspace);
}

std::u16string TakeErrorSource() {
    ErrorText text;
    return TakeErrorText(&text) ? text.source : std::u16string();
}

std::u16string TextOf(IWorkspace* workspace, HRESULT (IWorkspace::*getter)(BSTR*)) {
    Bstr text;
    if (FAILED((workspace->*getter)(text.put())))
        return u"<failed>";
    return text.str();
}

std::uint32_t U32At(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return value;
}

std::uint16_t U16At(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(offset)) |
                                      static_cast<unsigned char>(bytes.at(offset + 1)) << 8);
}

void PutU32(std::string* bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes->at(offset + i) = static_cast<char>(value >> (8 * i));
}

void PutU16(std::string* bytes, std::size_t offset, std::uint16_t value) {
    bytes->at(offset) = static_cast<char>(value);
    bytes->at(offset + 1) = static_cast<char>(value >> 8);
}

void PutFloat(std::string* bytes, std::size_t offset, float value) {
    PutU32(bytes, offset, std::bit_cast<std::uint32_t>(value));
}

std::size_t EndOfStrings(std::string_view stream) {
    std::size_t offset = kStringsOffset;
    for (int i = 0; i < 5; ++i)
        offset += 4 + U32At(stream, offset);
    return offset;
}

} // namespace cvk::testing
