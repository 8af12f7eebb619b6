// The splash logo module: resolution by picture size, badge limits, and keeping the user's logo
// when a new picture cannot be used.
#include "modweave/modweave.h"
#include "tests/engine/modules/flex_test_support.h"

namespace cvk::testing {
namespace {

class LogoModule : public FlexTest {
protected:
    void SetUp() override {
        FlexTest::SetUp();
        workspace_ = NewModularWorkspace(&flex_);
        ASSERT_TRUE(flex_);
        logo_ = Logo(flex_.get());
        ASSERT_TRUE(logo_);
    }

    LOGO_RES_TYPE Resolution() {
        LOGO_RES_TYPE resolution = CVK_LOGO_RES_640_480;
        EXPECT_EQ(logo_->get_LogoResolution(&resolution), S_OK);
        return resolution;
    }
    bool HasUserData() {
        VARIANT_BOOL userData = VARIANT_FALSE;
        EXPECT_EQ(Module(flex_.get(), 4)->get_ContainsUserData(&userData), S_OK);
        return userData == VARIANT_TRUE;
    }
    std::string ImageName() {
        Bstr name;
        EXPECT_EQ(logo_->get_ImageName(name.put()), S_OK);
        return name.utf8();
    }

    ComPtr<IWorkspace> workspace_;
    ComPtr<IFlex> flex_;
    ComPtr<IFlexLogoModule> logo_;
};

TEST_F(LogoModule, ResolutionFollowsThePictureSize) {
    EXPECT_EQ(Resolution(), CVK_LOGO_RES_640_480);
    ASSERT_EQ(SetLogo(flex_.get(), "wide.jpg", JpegPicture(800, 480), 800, 480), S_OK);
    EXPECT_EQ(Resolution(), CVK_LOGO_RES_800_600);
    EXPECT_EQ(ImageName(), PathOf("wide.jpg"));
    ASSERT_EQ(SetLogo(flex_.get(), "small.bmp", BmpPicture(640, 480), 640, 480), S_OK);
    EXPECT_EQ(Resolution(), CVK_LOGO_RES_640_480);
    ASSERT_EQ(SetLogo(flex_.get(), "tall.bmp", BmpPicture(600, 768), 600, 768), S_OK);
    EXPECT_EQ(Resolution(), CVK_LOGO_RES_1024_768);

    // Too large: refused before the engine is touched.
    EXPECT_EQ(SetLogo(flex_.get(), "huge.bmp", BmpPicture(1025, 100), 1025, 100), E_FAIL);
    EXPECT_EQ(Resolution(), CVK_LOGO_RES_1024_768);
    EXPECT_EQ(ImageName(), PathOf("tall.bmp"));
    EXPECT_EQ(SetLogo(flex_.get(), "odd.bmp", BmpPicture(10, 10), -1, 10), E_INVALIDARG);
    EXPECT_EQ(ImageName(), PathOf("tall.bmp"));
}

TEST_F(LogoModule, BadgePositionStaysWithinTheLogo) {
    LONG max = 0;
    EXPECT_EQ(logo_->get_BadgeLocXMax(&max), S_OK);
    EXPECT_EQ(max, 530);
    EXPECT_EQ(logo_->get_BadgeLocYMax(&max), S_OK);
    EXPECT_EQ(max, 355);
    EXPECT_EQ(logo_->put_BadgeLocX(530), S_OK);
    EXPECT_EQ(logo_->put_BadgeLocX(531), E_UNEXPECTED);
    EXPECT_EQ(logo_->put_BadgeLocX(-1), E_UNEXPECTED);
    EXPECT_EQ(logo_->put_BadgeLocY(355), S_OK);
    EXPECT_EQ(logo_->put_BadgeLocY(356), E_UNEXPECTED);
    LONG x = 0;
    LONG y = 0;
    EXPECT_EQ(logo_->get_BadgeLocX(&x), S_OK);
    EXPECT_EQ(logo_->get_BadgeLocY(&y), S_OK);
    EXPECT_EQ(x, 530);
    EXPECT_EQ(y, 355);

    ASSERT_EQ(SetLogo(flex_.get(), "mid.jpg", JpegPicture(800, 600), 800, 600), S_OK);
    EXPECT_EQ(logo_->get_BadgeLocXMax(&max), S_OK);
    EXPECT_EQ(max, 662);
    EXPECT_EQ(logo_->get_BadgeLocYMax(&max), S_OK);
    EXPECT_EQ(max, 444);
    EXPECT_EQ(logo_->put_BadgeLocX(662), S_OK);
    ASSERT_EQ(SetLogo(flex_.get(), "big.jpg", JpegPicture(1024, 768), 1024, 768), S_OK);
    EXPECT_EQ(logo_->get_BadgeLocXMax(&max), S_OK);
    EXPECT_EQ(max, 848);
    EXPECT_EQ(logo_->get_BadgeLocYMax(&max), S_OK);
    EXPECT_EQ(max, 568);
    EXPECT_EQ(logo_->put_BadgeLocY(569), E_UNEXPECTED);
}

TEST_F(LogoModule, DisplayBadgeIsABoolean) {
    VARIANT_BOOL display = VARIANT_TRUE;
    EXPECT_EQ(logo_->get_DisplayBadge(&display), S_OK);
    EXPECT_EQ(display, VARIANT_FALSE);
    EXPECT_EQ(logo_->put_DisplayBadge(5), S_OK);
    EXPECT_EQ(logo_->get_DisplayBadge(&display), S_OK);
    EXPECT_EQ(display, VARIANT_TRUE);
    EXPECT_EQ(logo_->put_DisplayBadge(VARIANT_FALSE), S_OK);
    EXPECT_EQ(logo_->get_DisplayBadge(&display), S_OK);
    EXPECT_EQ(display, VARIANT_FALSE);
}

TEST_F(LogoModule, EmptyNameClearsOnlyAUserLogo) {
    Bstr none(u"");
    // Nothing to clear: success, and the workspace has nothing new to save.
    Bstr path = Bstr::FromUtf8(PathOf("ws.cvw"));
    ASSERT_EQ(server()->SaveWorkspace(workspace_.get(), path.get()), S_OK);
    EXPECT_EQ(logo_->SetImage(none.get(), 0, 0), S_OK);
    VARIANT_BOOL unsaved = VARIANT_TRUE;
    EXPECT_EQ(workspace_->get_RequiresSave(&unsaved), S_OK);
    EXPECT_EQ(unsaved, VARIANT_FALSE);

    ASSERT_EQ(SetLogo(flex_.get(), "logo.bmp", BmpPicture(320, 200), 320, 200), S_OK);
    EXPECT_TRUE(HasUserData());
    EXPECT_EQ(logo_->SetImage(none.get(), 0, 0), S_OK);
    EXPECT_FALSE(HasUserData());
    EXPECT_EQ(ImageName(), "");
}

TEST_F(LogoModule, UnusablePictureKeepsTheUserLogo) {
    ASSERT_EQ(SetLogo(flex_.get(), "logo.bmp", BmpPicture(640, 480), 640, 480), S_OK);
    // Sized as 800 by 600 by the caller, but the file is no picture at all.
    EXPECT_EQ(SetLogo(flex_.get(), "notes.txt", "just text", 800, 600), MODWEAVE_E_PICTUREFORMAT);
    EXPECT_NE(TakeErrorDescription().find(u"notes.txt"), std::u16string::npos);
    EXPECT_TRUE(HasUserData());
    EXPECT_EQ(ImageName(), PathOf("logo.bmp"));
    EXPECT_EQ(Resolution(), CVK_LOGO_RES_640_480);

    Bstr missing = Bstr::FromUtf8(PathOf("missing.jpg"));
    EXPECT_EQ(logo_->SetImage(missing.get(), 100, 100), STG_E_FILENOTFOUND);
    EXPECT_EQ(ImageName(), PathOf("logo.bmp"));
}

} // namespace
} // namespace cvk::testing
