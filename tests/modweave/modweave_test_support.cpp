// Shared helpers of the module engine tests.
#include "tests/modweave/modweave_test_support.h"

#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace modweave::test {

namespace {

Module MakeModule(std::uint32_t handle, std::uint32_t type, std::uint32_t size,
                  std::string shortDesc) {
    Module m;
    m.handle = handle;
    m.type = type;
    m.size = size;
    m.shortDesc = std::move(shortDesc);
    m.longDesc = "Long text of " + m.shortDesc;
    m.payload = std::string(size % 97 + 3, static_cast<char>(handle));
    return m;
}

void PutLe16(std::string& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void PutLe32(std::string& out, std::size_t at, std::uint32_t v) {
    PutLe16(out, at, v & 0xFFFF);
    PutLe16(out, at + 2, v >> 16);
}

} // namespace

Image SampleImage() {
    Image image;
    image.version = "P1.11 Caf\xE9"; // Windows-1252 e-acute
    image.flashPartSize = 65536;
    image.requiredContent = std::string(6000, '\x5A');
    Module core = MakeModule(1, 0, 4000, "Core");
    core.required = true;
    core.isDefault = true;
    core.selected = true;
    Module language = MakeModule(2, 1, 1000, "Language");
    language.isDefault = true;
    language.userUpdateable = true;
    language.deps = {1};
    Module logo = MakeModule(3, 2, 2000, "Logo");
    logo.isDefault = true;
    logo.userUpdateable = true;
    Module network = MakeModule(4, 0, 3000, "Network");
    network.deps = {5};
    Module stack = MakeModule(5, 0, 1500, "Stack");
    image.modules = {core, language, logo, network, stack};
    for (std::uint32_t h = 10; h <= 12; ++h) {
        Module badge = MakeModule(h, 3, 100, "Badge " + std::to_string(h));
        badge.isDefault = h == 10;
        image.modules.push_back(badge);
    }
    return image;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string BmpPicture(std::int32_t width, std::int32_t height) {
    // One bit a pixel, rows padded to 4 bytes, after a two-colour palette: a whole picture that
    // stays small.
    const std::size_t row = (std::size_t(width < 0 ? 0 : width) + 31) / 32 * 4;
    const std::size_t rows = std::size_t(height < 0 ? -std::int64_t(height) : height);
    std::string bmp(62 + row * rows, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    PutLe32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
    PutLe32(bmp, 10, 62);
    PutLe32(bmp, 14, 40);
    PutLe32(bmp, 18, static_cast<std::uint32_t>(width));
    PutLe32(bmp, 22, static_cast<std::uint32_t>(height));
    PutLe16(bmp, 26, 1);
    PutLe16(bmp, 28, 1);
    PutLe32(bmp, 58, 0x00FFFFFF); // the second palette entry: white
    return bmp;
}

std::string JpegPicture(std::uint16_t width, std::uint16_t height) {
    // SOI, an APP0 segment to step over, SOF0 with one component, EOI.
    std::string jpeg("\xFF\xD8"
                     "\xFF\xE0\x00\x06JF\x00\x00",
                     10);
    jpeg += std::string("\xFF\xC0\x00\x0B\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 0xFF);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 0xFF);
    jpeg += std::string("\x01\x01\x11\x00\xFF\xD9", 6);
    return jpeg;
}

void EngineTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ =
        std::filesystem::temp_directory_path() / ("modweave_" + std::to_string(::getpid()) + "_" +
                                                  info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    if (const char* previous = std::getenv("CORVANE_REGISTRY")) {
        hadRegistry_ = true;
        previousRegistry_ = previous;
    }
    ::setenv("CORVANE_REGISTRY", (folder_ / "registry").c_str(), 1);
    com_ = CoInitialize(nullptr);
    ASSERT_TRUE(SUCCEEDED(com_));
    // The library registers itself, naming the path it was loaded from.
    void* library = ::dlopen(MODWEAVE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto registerServer = reinterpret_cast<HRESULT (*)()>(::dlsym(library, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
}

void EngineTest::TearDown() {
    if (SUCCEEDED(com_))
        CoUninitialize();
    if (hadRegistry_)
        ::setenv("CORVANE_REGISTRY", previousRegistry_.c_str(), 1);
    else
        ::unsetenv("CORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder_, ignored);
}

cvk::ComPtr<IModweaveEngine> EngineTest::NewEngine() {
    cvk::ComPtr<IModweaveEngine> engine;
    HRESULT hr = CoCreateInstance(CLSID_ModweaveEngine, nullptr, CLSCTX_INPROC_SERVER,
                                  IModweaveEngine::iid, engine.put_void());
    EXPECT_EQ(hr, S_OK);
    if (engine) {
        EXPECT_EQ(engine->Initialize(-1), S_OK);
    }
    return engine;
}

void EngineTest::WriteSample(const std::string& name, std::size_t parts) {
    WriteImage(SampleImage(), name, parts);
}

void EngineTest::WriteImage(const Image& image, const std::string& name, std::size_t parts) {
    std::string why;
    ASSERT_EQ(WriteImageFiles(image, folder_.string(), ContinuationNames(name, parts), &why), S_OK)
        << why;
}

VARIANT_BOOL EngineTest::Open(IModweaveEngine* engine, const std::string& name, HRESULT* hr) {
    VARIANT_BOOL loaded = 7; // neither answer, so that an untouched result shows
    cvk::Bstr path = cvk::Bstr::FromUtf8(PathOf(name));
    HRESULT status = engine->OpenFlashImage(path.get(), &loaded);
    if (hr)
        *hr = status;
    else
        EXPECT_EQ(status, S_OK);
    return loaded;
}

cvk::ComPtr<IModweaveModule> EngineTest::ByHandle(IModweaveEngine* engine, LONG handle) {
    cvk::ComPtr<IModweaveModules> modules;
    EXPECT_EQ(engine->get_Modules(modules.put()), S_OK);
    cvk::ComPtr<IModweaveModule> module;
    EXPECT_EQ(modules->GetByHandle(handle, module.put()), S_OK) << "handle " << handle;
    return module;
}

void EngineTest::Select(IModweaveEngine* engine, LONG handle, bool selected) {
    auto module = ByHandle(engine, handle);
    ASSERT_TRUE(module);
    ASSERT_EQ(module->put_Selected(selected ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
}

bool EngineTest::Selected(IModweaveEngine* engine, LONG handle) {
    VARIANT_BOOL selected = 0;
    auto module = ByHandle(engine, handle);
    EXPECT_EQ(module->get_Selected(&selected), S_OK);
    return selected == VARIANT_TRUE;
}

bool EngineTest::Valid(IModweaveEngine* engine) {
    VARIANT_BOOL valid = 7;
    EXPECT_EQ(engine->get_SelectionValid(&valid), S_OK);
    EXPECT_TRUE(valid == VARIANT_TRUE || valid == VARIANT_FALSE);
    return valid == VARIANT_TRUE;
}

cvk::ComPtr<IModweaveLogo> EngineTest::LogoOf(IModweaveEngine* engine) {
    cvk::ComPtr<IModweaveLogo> logo;
    auto module = ByHandle(engine, 3);
    EXPECT_EQ(module->get_Logo(logo.put()), S_OK);
    return logo;
}

} // namespace modweave::test
