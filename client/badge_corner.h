// The badge corners of the splash logo: where the badge goes on each logo screen, and the
// badge pictures' sizes. Shared by the splash editor and the command line, so that both store
// the same position for the same corner.
#pragma once

namespace cvkclient {

enum class BadgeCorner { UpperLeft, UpperRight, LowerLeft, LowerRight };

// The logo screens, numbered as the logo module's resolution (LOGO_RES_TYPE).
enum class LogoScreen { Res640x480 = 0, Res800x600 = 1, Res1024x768 = 2 };

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

struct BadgePosition {
    int x = 0;
    int y = 0;
    bool operator==(const BadgePosition&) const = default;
};

// The screen's size in pixels.
PixelSize ScreenSize(LogoScreen screen);
// The size of the badge picture drawn on that screen.
PixelSize BadgeSize(LogoScreen screen);
// The largest badge position the logo module accepts on that screen.
BadgePosition BadgeLimit(LogoScreen screen);
// The screen that holds a picture of the given size (the smallest that fits); pictures larger
// than 1024 x 768 get the largest screen, which the caller refuses.
LogoScreen ScreenFor(int width, int height);

// The badge's top-left position for a corner: flush with the screen's edges, then clamped to
// the limits the logo module accepts (the badge may then overlap the edge by a few pixels
// less than flush, but it is stored without an error).
BadgePosition CornerPosition(BadgeCorner corner, LogoScreen screen);

} // namespace cvkclient
