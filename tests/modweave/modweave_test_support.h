// Shared helpers of the module engine tests: scratch folders, sample images, pictures, and an
// engine created by class identifier through the registered component library.
#pragma once

#include "modweave/image_format.h"
#include "modweave/modweave.h"
#include "platform/com/com.h"
#include "platform/com/errorinfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace modweave::test {

// A catalogue that exercises every field: handles 1..5 plus badges 10..12.
//   1 "Core"      required, default, 4000 bytes
//   2 "Language"  type 1, default, 1000 bytes, depends on 1
//   3 "Logo"      type 2, default, 2000 bytes
//   4 "Network"   optional, 3000 bytes, depends on 5
//   5 "Stack"     optional, 1500 bytes
//   10, 11, 12    badges (type 3), 100 bytes each, 10 default
// Required content: 6000 bytes; suggested flash part size 65536.
Image SampleImage();

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// Minimal pictures whose headers give the size.
std::string BmpPicture(std::int32_t width, std::int32_t height);
std::string JpegPicture(std::uint16_t width, std::uint16_t height);

// A per-test folder and registration store, the runtime initialised, and the module engine
// registered through its own DllRegisterServer.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& folder() const { return folder_; }
    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    // A new engine object, created by class identifier and initialised with -1.
    cvk::ComPtr<IModweaveEngine> NewEngine();
    // Writes SampleImage (or `image`) as `name` in `parts` files.
    void WriteSample(const std::string& name, std::size_t parts = 1);
    void WriteImage(const Image& image, const std::string& name, std::size_t parts = 1);
    // Opens `name` in the folder; returns the engine's answer.
    VARIANT_BOOL Open(IModweaveEngine* engine, const std::string& name, HRESULT* hr = nullptr);

    cvk::ComPtr<IModweaveModule> ByHandle(IModweaveEngine* engine, LONG handle);
    void Select(IModweaveEngine* engine, LONG handle, bool selected);
    bool Selected(IModweaveEngine* engine, LONG handle);
    bool Valid(IModweaveEngine* engine);
    cvk::ComPtr<IModweaveLogo> LogoOf(IModweaveEngine* engine);

private:
    std::filesystem::path folder_;
    std::string previousRegistry_;
    bool hadRegistry_ = false;
    HRESULT com_ = E_FAIL;
};

using cvk::TakeErrorDescription;

} // namespace modweave::test
