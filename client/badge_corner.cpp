// Badge corners of the splash logo.
#include "client/badge_corner.h"

#include <algorithm>

namespace cvkclient {

namespace {

struct ScreenFacts {
    PixelSize screen;
    PixelSize badge;
    BadgePosition limit;
};

// Indexed by LogoScreen.
constexpr ScreenFacts kScreens[] = {
    {{640, 480}, {110, 122}, {530, 355}},
    {{800, 600}, {135, 155}, {662, 444}},
    {{1024, 768}, {176, 199}, {848, 568}},
};

const ScreenFacts& FactsOf(LogoScreen screen) {
    // A value from outside (an engine's resolution) beyond the known ones is the largest screen,
    // as the logo module reads it.
    const int index = static_cast<int>(screen);
    return kScreens[index >= 0 && index <= 2 ? index : 2];
}

} // namespace

PixelSize ScreenSize(LogoScreen screen) {
    return FactsOf(screen).screen;
}

PixelSize BadgeSize(LogoScreen screen) {
    return FactsOf(screen).badge;
}

BadgePosition BadgeLimit(LogoScreen screen) {
    return FactsOf(screen).limit;
}

LogoScreen ScreenFor(int width, int height) {
    if (width <= 640 && height <= 480)
        return LogoScreen::Res640x480;
    if (width <= 800 && height <= 600)
        return LogoScreen::Res800x600;
    return LogoScreen::Res1024x768;
}

BadgePosition CornerPosition(BadgeCorner corner, LogoScreen screen) {
    const ScreenFacts& facts = FactsOf(screen);
    const bool right = corner == BadgeCorner::UpperRight || corner == BadgeCorner::LowerRight;
    const bool lower = corner == BadgeCorner::LowerLeft || corner == BadgeCorner::LowerRight;
    BadgePosition position;
    if (right)
        position.x = std::min(facts.screen.width - facts.badge.width, facts.limit.x);
    if (lower)
        position.y = std::min(facts.screen.height - facts.badge.height, facts.limit.y);
    return position;
}

} // namespace cvkclient
