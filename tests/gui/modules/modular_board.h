// Boards with a modular flash image for the module and splash tests, and the engine objects
// of an open workspace's modules.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"

#include <QImage>
#include <QString>

#include <string>

namespace guitest {

// The modules section of the tests' modular board. Handles: 1 required; 2 needs 3, which needs
// 4; 5 the logo; 6 user-updateable and in by default; 10-12 badges.
extern const QByteArray kTestModules;

// Writes `path` (.cvk) from the demo board with `modulesJson` as its modules section, and its
// flash image beside it (.bio). False on any failure.
bool WriteModularBoard(const QString& path, const QByteArray& modulesJson);
// Writes `path` (.cvk) from the board description `boardJson`, and its flash image beside it.
bool WriteBoardWithImage(const QString& path, const std::string& boardJson);

// The flex object of a workspace and its modules.
cvk::ComPtr<IFlex> FlexOf(IWorkspace* workspace);
cvk::ComPtr<IFlexModule> ModuleOf(IFlex* flex, LONG handle);
cvk::ComPtr<IFlexLogoModule> LogoOf(IFlex* flex);
bool InUpdate(IFlexModule* module);

// A test picture of the given size: a gradient, saved as `path` (the suffix names the format).
bool WritePicture(const QString& path, int width, int height);

} // namespace guitest
