// CGuiHost: what the program's shell lends the document and the features: the engine server,
// the user's preferences, the parent of their dialogs, the recent-file list and the numbering
// of new workspaces. The application is its one implementation; nothing below the shell needs
// to know the application or its windows.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/preferences.h"
#include "platform/com/comptr.h"

#include <QString>

class QWidget;

class CGuiHost {
public:
    virtual ~CGuiHost() = default;

    // A new reference to the engine's server; CEngineError (E_POINTER) when there is none.
    virtual cvk::ComPtr<IServer> Server() const = 0;
    virtual CPreferences& preferences() = 0;
    // The window the features' dialogs and file choosers belong to.
    virtual QWidget* dialogParent() const = 0;
    virtual void AddToRecentFileList(const QString& path) = 0;
    // The number of the next new workspace's title ("Untitled1", "Untitled2", ...).
    virtual int NextUntitledNumber() = 0;
};
