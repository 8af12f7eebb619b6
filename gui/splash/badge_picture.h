// The maker's badge drawn over the splash logo, one picture per logo screen.
#pragma once

#include "client/badge_corner.h"

#include <QImage>

// The badge picture for `screen`, at the size the BIOS draws it there.
QImage BadgePicture(cvkclient::LogoScreen screen);
