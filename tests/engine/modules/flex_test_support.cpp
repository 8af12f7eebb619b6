// Shared fixtures of the module tests.
#include "tests/engine/modules/flex_test_support.h"

#include "tools/cvkgen/flash_image.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace cvk::testing {
namespace {

void PutLe(std::string* bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

} // namespace

std::string TestBoardJson(int files) {
    return R"({
  "build": {"biosId": "TEST.86A.0001", "version": "T1.00", "dateStamp": "0401020304"},
  "setup": [{"setting": "Quick Boot", "keyword": "CMOS_QUICKBOOT",
             "choices": ["Disabled", "Enabled"]}],
  "modules": {
    "version": "T1.00 modular",
    "flashPartSize": 1048576,
    "requiredContent": 60000,
    "files": )" +
           std::to_string(files) + R"(,
    "logo": {"badge": [12, 34], "displayBadge": false, "resolution": "640x480"},
    "list": [
      {"handle": 1, "name": "Core", "required": true, "size": 100000,
       "description": "Runtime services"},
      {"handle": 2, "name": "Setup", "required": true, "size": 20000},
      {"handle": 3, "name": "Asia", "type": "language", "default": true, "size": 30000,
       "depends": [2], "userUpdateable": true},
      {"handle": 4, "name": "Logo", "type": "logo", "default": true, "size": 8000},
      {"handle": 10, "name": "Badge S", "type": "badge", "size": 1000},
      {"handle": 11, "name": "Badge M", "type": "badge", "default": true, "size": 2000},
      {"handle": 12, "name": "Badge L", "type": "badge", "default": true, "size": 3000},
      {"handle": 20, "name": "PXE", "size": 40000, "depends": [21]},
      {"handle": 21, "name": "UNDI", "size": 10000},
      {"handle": 22, "name": "RAID", "default": true, "size": 50000}
    ]
  }
})";
}

cvkgen::Board TestBoard(int files) {
    return cvkgen::ParseBoard(TestBoardJson(files));
}

std::string BmpPicture(std::int32_t width, std::int32_t height) {
    // One bit a pixel, rows padded to 4 bytes, after a two-colour palette: a whole picture (the
    // module engine takes no other) that stays small.
    const std::size_t row = (std::size_t(width < 0 ? 0 : width) + 31) / 32 * 4;
    const std::size_t rows = std::size_t(height < 0 ? -std::int64_t(height) : height);
    std::string bytes(62 + row * rows, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe(&bytes, 2, static_cast<std::uint32_t>(bytes.size()));
    PutLe(&bytes, 10, 62);
    PutLe(&bytes, 14, 40);
    PutLe(&bytes, 18, static_cast<std::uint32_t>(width));
    PutLe(&bytes, 22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 1;
    PutLe(&bytes, 58, 0x00FFFFFFu);
    return bytes;
}

std::string JpegPicture(std::uint16_t width, std::uint16_t height) {
    std::string bytes = "\xFF\xD8\xFF\xC0";
    const unsigned char frame[] = {0x00,
                                   0x11,
                                   0x08,
                                   static_cast<unsigned char>(height >> 8),
                                   static_cast<unsigned char>(height),
                                   static_cast<unsigned char>(width >> 8),
                                   static_cast<unsigned char>(width),
                                   0x03,
                                   1,
                                   0x22,
                                   0,
                                   2,
                                   0x11,
                                   1,
                                   3,
                                   0x11,
                                   1};
    bytes.append(reinterpret_cast<const char*>(frame), sizeof frame);
    bytes += "\xFF\xD9";
    return bytes;
}

std::string FlexTest::WriteBoard(const std::string& base, const cvkgen::Board& board) {
    const std::vector<std::uint8_t> map = cvkgen::WriteMapFile(cvkgen::BuildMapFile(board));
    WriteFile(base + ".cvk",
              std::string_view(reinterpret_cast<const char*>(map.data()), map.size()));
    if (board.modules)
        cvkgen::WriteFlashImage(*board.modules, PathOf(base + ".bio"));
    return PathOf(base + ".cvk");
}

std::string FlexTest::WriteTestBoard(const std::string& base) {
    return WriteBoard(base, TestBoard());
}

void FlexTest::WriteFile(const std::string& name, std::string_view bytes) const {
    std::ofstream out(folder() / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good());
}

std::string FlexTest::ReadFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ComPtr<IWorkspace> FlexTest::NewModularWorkspace(ComPtr<IFlex>* flex, LONG mask) {
    Bstr map = Bstr::FromUtf8(WriteTestBoard());
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(server()->NewWorkspace(mask, map.get(), workspace.put()), S_OK)
        << Bstr(TakeErrorDescription()).utf8();
    if (workspace && flex)
        *flex = FlexOf(workspace.get());
    return workspace;
}

ComPtr<IFlex> FlexTest::FlexOf(IWorkspace* workspace) {
    ComPtr<IFlex> flex;
    EXPECT_EQ(workspace->get_Flex(flex.put()), S_OK);
    return flex;
}

ComPtr<IFlexModule> FlexTest::Module(IFlex* flex, LONG handle) {
    ComPtr<IFlexModuleList> list;
    EXPECT_EQ(flex->get_OptionalModuleList(list.put()), S_OK);
    ComPtr<IFlexModule> module;
    if (list) {
        EXPECT_EQ(list->GetModule(handle, module.put()), S_OK) << "handle " << handle;
    }
    return module;
}

ComPtr<IFlexLogoModule> FlexTest::Logo(IFlex* flex, LONG handle) {
    ComPtr<IFlexLogoModule> logo;
    ComPtr<IFlexModule> module = Module(flex, handle);
    if (module) {
        EXPECT_EQ(module->QueryInterface(IFlexLogoModule::iid, logo.put_void()), S_OK);
    }
    return logo;
}

bool FlexTest::InUpdate(IFlex* flex, LONG handle) {
    VARIANT_BOOL in = VARIANT_FALSE;
    ComPtr<IFlexModule> module = Module(flex, handle);
    EXPECT_TRUE(module && SUCCEEDED(module->get_InUpdate(&in)));
    return in == VARIANT_TRUE;
}

void FlexTest::SetInUpdate(IFlex* flex, LONG handle, bool in) {
    ComPtr<IFlexModule> module = Module(flex, handle);
    ASSERT_TRUE(module);
    ASSERT_EQ(module->put_InUpdate(in ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
}

std::vector<LONG> FlexTest::Selected(IFlex* flex) {
    std::vector<LONG> handles;
    ComPtr<IFlexModuleList> list;
    EXPECT_EQ(flex->get_OptionalModuleList(list.put()), S_OK);
    if (!list)
        return handles;
    ComPtr<IFlexModule> module;
    VARIANT_BOOL eol = VARIANT_FALSE;
    for (list->GetFirst(module.put()); list->get_EOL(&eol) == S_OK && !eol;
         list->GetNext(module.put())) {
        VARIANT_BOOL in = VARIANT_FALSE;
        LONG handle = 0;
        EXPECT_EQ(module->get_InUpdate(&in), S_OK);
        EXPECT_EQ(module->get_Handle(&handle), S_OK);
        if (in)
            handles.push_back(handle);
    }
    return handles;
}

std::vector<LONG> FlexTest::SelectedBadges(IFlex* flex) {
    std::vector<LONG> badges;
    for (LONG handle : Selected(flex))
        if (handle >= 10 && handle <= 12)
            badges.push_back(handle);
    return badges;
}

LONG FlexTest::NumSelected(IFlex* flex) {
    LONG bytes = -1;
    EXPECT_EQ(flex->get_NumOptionalModuleBytesSelected(&bytes), S_OK);
    return bytes;
}

bool FlexTest::ValidUpdate(IFlex* flex) {
    VARIANT_BOOL valid = VARIANT_FALSE;
    EXPECT_EQ(flex->get_ValidUpdate(&valid), S_OK);
    EXPECT_TRUE(valid == VARIANT_TRUE || valid == VARIANT_FALSE);
    return valid == VARIANT_TRUE;
}

HRESULT FlexTest::SetLogo(IFlex* flex, const std::string& name, std::string_view bytes, LONG width,
                          LONG height) {
    WriteFile(name, bytes);
    ComPtr<IFlexLogoModule> logo = Logo(flex);
    if (!logo)
        return E_FAIL;
    Bstr path = Bstr::FromUtf8(PathOf(name));
    return logo->SetImage(path.get(), width, height);
}

} // namespace cvk::testing
