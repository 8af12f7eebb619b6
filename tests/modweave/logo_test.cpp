// The logo object: BMP and JPEG pictures, its settings, and failures with error info; and the
// picture probe on its own.
#include "modweave/picture_info.h"
#include "tests/modweave/modweave_test_support.h"

namespace modweave::test {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

TEST(PictureProbe, ReadsSizesFromBmpAndJpegHeaders) {
    PictureInfo info = ProbePicture(BmpPicture(800, 600));
    EXPECT_EQ(info.format, PictureFormat::Bmp);
    EXPECT_EQ(info.width, 800u);
    EXPECT_EQ(info.height, 600u);
    info = ProbePicture(BmpPicture(640, -480)); // top-down bitmap
    EXPECT_EQ(info.height, 480u);
    info = ProbePicture(JpegPicture(1024, 768));
    EXPECT_EQ(info.format, PictureFormat::Jpeg);
    EXPECT_EQ(info.width, 1024u);
    EXPECT_EQ(info.height, 768u);
    // A progressive frame (SOF2) is a frame too.
    std::string progressive = JpegPicture(320, 200);
    progressive[progressive.find("\xFF\xC0") + 1] = '\xC2';
    EXPECT_EQ(ProbePicture(progressive).width, 320u);
}

TEST(PictureProbe, RefusesWhatGivesNoSize) {
    for (std::string bytes :
         {std::string(), std::string("BM"), std::string("GIF89a....."), BmpPicture(0, 10),
          BmpPicture(-5, 10), BmpPicture(10, 10).substr(0, 30), JpegPicture(0, 10),
          std::string("\xFF\xD8\xFF\xD9", 4), std::string("\xFF\xD8\xFF\xE0\x00\x01", 6)})
        EXPECT_EQ(ProbePicture(bytes).format, PictureFormat::Unknown) << bytes.size();
    // Every cut of a JPEG before its frame header ends is refused.
    std::string jpeg = JpegPicture(10, 10);
    for (std::size_t cut = 0; cut < jpeg.find("\xFF\xC0") + 9; ++cut)
        EXPECT_EQ(ProbePicture(jpeg.substr(0, cut)).format, PictureFormat::Unknown) << cut;
}

TEST(PictureProbe, TakesOnlyWholePictures) {
    const std::string bmp = BmpPicture(100, 100);
    auto withLe16 = [](std::string bytes, std::size_t at, std::uint16_t value) {
        bytes[at] = char(value & 0xFF), bytes[at + 1] = char(value >> 8);
        return bytes;
    };
    const std::string jpeg = JpegPicture(100, 100);
    const std::size_t eoi = jpeg.size() - 2;
    // A scan whose coded data holds a stuffed 0xFF and a restart marker.
    const std::string scan = jpeg.substr(0, eoi) + std::string("\xFF\xDA\x00\x08\x01\x01\x00"
                                                               "\x00\x3F\x00\x12\xFF\x00\x34"
                                                               "\xFF\xD0\x56\xFF\xD9",
                                                               19);
    EXPECT_EQ(ProbePicture(scan).format, PictureFormat::Jpeg);
    const struct {
        std::string bytes;
        const char* what;
    } damaged[] = {
        {bmp.substr(0, 54), "a BMP header without its pixels"},
        {bmp.substr(0, bmp.size() - 1), "a BMP one byte short"},
        {withLe16(bmp, 28, 7), "a bit depth no decoder knows"},
        {withLe16(bmp, 26, 2), "two planes"},
        {withLe16(bmp, 30, 4), "a compression of its own"},
        {jpeg.substr(0, 11), "an 11-byte JPEG"},
        {jpeg.substr(0, eoi), "a JPEG without its end"},
        {scan.substr(0, scan.size() - 2), "a scan without the end"},
        {jpeg.substr(0, 2) + jpeg.substr(eoi), "SOI and EOI without a frame"},
        {jpeg.substr(0, eoi) + jpeg.substr(10, eoi - 10) + jpeg.substr(eoi), "two frames"},
    };
    for (const auto& picture : damaged)
        EXPECT_EQ(ProbePicture(picture.bytes).format, PictureFormat::Unknown) << picture.what;
}

class LogoTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        WriteSample("board.bio");
        engine_ = NewEngine();
        ASSERT_EQ(Open(engine_.get(), "board.bio"), VARIANT_TRUE);
        logo_ = LogoOf(engine_.get());
        ASSERT_TRUE(logo_);
    }
    HRESULT SetFrom(const std::string& name) {
        return logo_->SetImageFromFile(Bstr::FromUtf8(PathOf(name)).get());
    }
    LONG LogoSize() {
        LONG size = 0;
        EXPECT_EQ(ByHandle(engine_.get(), 3)->get_Size(&size), S_OK);
        return size;
    }
    bool CarriesUserData() {
        VARIANT_BOOL flag = 7;
        EXPECT_EQ(ByHandle(engine_.get(), 3)->get_ContainsUserData(&flag), S_OK);
        return flag == VARIANT_TRUE;
    }
    std::string ImageName() {
        Bstr name;
        EXPECT_EQ(logo_->get_ImageName(name.put()), S_OK);
        return name.utf8();
    }

    ComPtr<IModweaveEngine> engine_;
    ComPtr<IModweaveLogo> logo_;
};

TEST_F(LogoTest, KeepsBmpAndJpegPicturesAndCountsThemInTheLogoModule) {
    EXPECT_FALSE(CarriesUserData());
    EXPECT_EQ(LogoSize(), 2000);
    WriteFile(folder() / "logo.bmp", BmpPicture(640, 480));
    ASSERT_EQ(SetFrom("logo.bmp"), S_OK);
    EXPECT_TRUE(CarriesUserData());
    EXPECT_EQ(ImageName(), PathOf("logo.bmp"));
    EXPECT_EQ(LogoSize(), 2000 + static_cast<LONG>(BmpPicture(640, 480).size()));

    WriteFile(folder() / "photo.jpeg", JpegPicture(1024, 768));
    ASSERT_EQ(SetFrom("photo.jpeg"), S_OK);
    EXPECT_EQ(ImageName(), PathOf("photo.jpeg"));
    EXPECT_EQ(LogoSize(), 2000 + static_cast<LONG>(JpegPicture(1024, 768).size()));

    ASSERT_EQ(logo_->ClearImage(), S_OK);
    EXPECT_FALSE(CarriesUserData());
    EXPECT_EQ(ImageName(), "");
    EXPECT_EQ(LogoSize(), 2000);
}

TEST_F(LogoTest, RefusesMissingAndForeignFilesWithErrorInfo) {
    WriteFile(folder() / "logo.bmp", BmpPicture(100, 100));
    ASSERT_EQ(SetFrom("logo.bmp"), S_OK);

    EXPECT_EQ(SetFrom("absent.bmp"), STG_E_FILENOTFOUND);
    EXPECT_NE(TakeErrorDescription().find(u"absent.bmp"), std::u16string::npos);
    WriteFile(folder() / "fake.jpg", "GIF89a is not what the name says");
    EXPECT_EQ(SetFrom("fake.jpg"), MODWEAVE_E_PICTUREFORMAT);
    EXPECT_NE(TakeErrorDescription().find(u"not a JPEG or BMP"), std::u16string::npos);
    WriteFile(folder() / "cut.bmp", BmpPicture(100, 100).substr(0, 54));
    EXPECT_EQ(SetFrom("cut.bmp"), MODWEAVE_E_PICTUREFORMAT);
    EXPECT_NE(TakeErrorDescription().find(u"damaged or cut short"), std::u16string::npos);
    EXPECT_EQ(logo_->SetImageFromFile(nullptr), E_INVALIDARG);
    EXPECT_FALSE(TakeErrorDescription().empty());
    EXPECT_EQ(SetFrom(""), STG_E_READFAULT) << "the folder itself is not a picture";
    // A failure keeps the picture that was there.
    EXPECT_EQ(ImageName(), PathOf("logo.bmp"));
}

TEST_F(LogoTest, BadgeAndResolutionSettings) {
    LONG value = -1;
    VARIANT_BOOL flag = 7;
    ASSERT_EQ(logo_->put_BadgeX(530), S_OK);
    ASSERT_EQ(logo_->put_BadgeY(355), S_OK);
    EXPECT_EQ(logo_->put_BadgeX(-1), E_INVALIDARG);
    EXPECT_EQ(logo_->put_BadgeY(-1), E_INVALIDARG);
    EXPECT_EQ(logo_->get_BadgeX(&value), S_OK);
    EXPECT_EQ(value, 530);
    EXPECT_EQ(logo_->get_BadgeY(&value), S_OK);
    EXPECT_EQ(value, 355);
    for (LONG resolution : {2, 1, 0}) {
        ASSERT_EQ(logo_->put_Resolution(resolution), S_OK);
        EXPECT_EQ(logo_->get_Resolution(&value), S_OK);
        EXPECT_EQ(value, resolution);
    }
    EXPECT_EQ(logo_->put_Resolution(3), E_INVALIDARG);
    EXPECT_EQ(logo_->put_Resolution(-1), E_INVALIDARG);
    ASSERT_EQ(logo_->put_DisplayBadge(1), S_OK); // any non-zero value is true
    EXPECT_EQ(logo_->get_DisplayBadge(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    // Every logo object of the engine shows the same settings.
    EXPECT_EQ(LogoOf(engine_.get())->get_BadgeX(&value), S_OK);
    EXPECT_EQ(value, 530);
}

} // namespace
} // namespace modweave::test
