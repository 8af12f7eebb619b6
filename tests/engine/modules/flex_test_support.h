// Shared fixtures of the module tests: the engine and the module engine reached by class
// identifier, boards with modular flash images written by cvkgen's library, and pictures.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/com.h"
#include "platform/com/errorinfo.h"
#include "tests/support/server_test.h"
#include "tools/cvkgen/board.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cvk::testing {

// A board with a modules section that exercises every rule:
//   1  "Core"     required, 100000 bytes          2  "Setup"   required, 20000 bytes
//   3  "Asia"     language, default, 30000, needs 2
//   4  "Logo"     logo, default, 8000
//   10 "Badge S"  badge, 1000     11 "Badge M" badge, default, 2000
//   12 "Badge L"  badge, default, 3000
//   20 "PXE"      40000, needs 21                 21 "UNDI"    10000
//   22 "RAID"     50000, default
// Required content 60000 bytes: the non-optional space is 180000 bytes.
std::string TestBoardJson(int files = 1);
cvkgen::Board TestBoard(int files = 1);

// A BMP or JPEG file whose header gives the size.
std::string BmpPicture(std::int32_t width, std::int32_t height);
std::string JpegPicture(std::uint16_t width, std::uint16_t height);

using cvk::TakeErrorDescription;

class FlexTest : public ServerTest {
protected:
    FlexTest() : ServerTest("cvk-modules-") {}

    // Writes `board`'s map file as `base`.cvk and, when it has modules, its image as `base`.bio.
    std::string WriteBoard(const std::string& base, const cvkgen::Board& board);
    // The test board as `base`.cvk and `base`.bio.
    std::string WriteTestBoard(const std::string& base = "board");
    void WriteFile(const std::string& name, std::string_view bytes) const;
    std::string ReadFile(const std::string& path) const;

    // A new workspace with the module bit over the test board, and its module object.
    ComPtr<IWorkspace> NewModularWorkspace(ComPtr<IFlex>* flex, LONG mask = SUBSYS_FLEX);
    ComPtr<IFlex> FlexOf(IWorkspace* workspace);

    // Module access through the module list.
    static ComPtr<IFlexModule> Module(IFlex* flex, LONG handle);
    static ComPtr<IFlexLogoModule> Logo(IFlex* flex, LONG handle = 4);
    static bool InUpdate(IFlex* flex, LONG handle);
    static void SetInUpdate(IFlex* flex, LONG handle, bool in);
    // Handles of the modules whose InUpdate is true, in list order.
    static std::vector<LONG> Selected(IFlex* flex);
    static std::vector<LONG> SelectedBadges(IFlex* flex);
    static LONG NumSelected(IFlex* flex);
    static bool ValidUpdate(IFlex* flex);

    // Writes a picture and sets it as the logo.
    HRESULT SetLogo(IFlex* flex, const std::string& name, std::string_view bytes, LONG width,
                    LONG height);
};

} // namespace cvk::testing
