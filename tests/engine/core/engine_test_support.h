// Shared fixtures of the engine core tests: the engine reached by class identifier through its
// registered component library, scratch folders, map files, flash images and workspace files.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/com.h"
#include "platform/com/errorinfo.h"
#include "tests/support/server_test.h"
#include "tools/cvkgen/map_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace cvk::testing {

// A per-test folder, the runtime initialised and a Server created by CoCreateInstance.
class EngineTest : public ServerTest {
protected:
    EngineTest() : ServerTest("cvk-core-") {}

    // Writes SmallMap() (or `content`) as `name`; returns its path.
    std::string WriteMap(const std::string& name);
    std::string WriteMap(const std::string& name, const cvkgen::MapFileContent& content);
    // A modular flash image (a suggested flash part, one required module) as `name`.
    std::string WriteFlashImage(const std::string& name);
    // Bytes of a file in the folder.
    void WriteFile(const std::string& name, std::string_view bytes) const;
    std::string ReadFile(const std::string& path) const;

    // NewWorkspace that must succeed.
    ComPtr<IWorkspace> NewWorkspace(LONG mask, const std::string& mapFile);
    // SaveWorkspace of the current workspace that must succeed; returns the file's path.
    std::string Save(IWorkspace* workspace, const std::string& name);
    HRESULT Open(const std::string& path, ComPtr<IWorkspace>* workspace);

    // The "cvkData" stream of a compound file, read through the storage layer.
    static std::string ReadWorkspaceStream(const std::string& path);
    // A compound file holding `bytes` as its "cvkData" stream.
    static void WriteWorkspaceStream(const std::string& path, std::string_view bytes);
    // Saves a workspace made from SmallMap() with `mask` and returns its stream's bytes.
    std::string SavedStream(LONG mask);
    // Writes `bytes` as a workspace file, closes the current workspace and opens the file.
    HRESULT OpenStream(std::string_view bytes, ComPtr<IWorkspace>* workspace);
};

using cvk::TakeErrorDescription;
std::u16string TakeErrorSource();

// A string property read through a getter; "<failed>" when the getter fails.
std::u16string TextOf(IWorkspace* workspace, HRESULT (IWorkspace::*getter)(BSTR*));

// Little-endian field access on stream bytes.
std::uint32_t U32At(std::string_view bytes, std::size_t offset);
std::uint16_t U16At(std::string_view bytes, std::size_t offset);
void PutU32(std::string* bytes, std::size_t offset, std::uint32_t value);
void PutU16(std::string* bytes, std::size_t offset, std::uint16_t value);
void PutFloat(std::string* bytes, std::size_t offset, float value);

// Offsets in the workspace stream.
constexpr std::size_t kVersionOffset = 12;
constexpr std::size_t kPropertyBlockOffset = 16;
constexpr std::size_t kRequiresSaveOffset = 20;
constexpr std::size_t kValidOffset = 22;
constexpr std::size_t kMaskOffset = 24;
constexpr std::size_t kStringsOffset = 28;

// The offset just past the five counted strings that follow the property block.
std::size_t EndOfStrings(std::string_view stream);

} // namespace cvk::testing
