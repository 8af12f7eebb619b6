// The program's commands: menu texts, status-bar prompts, tool tips and accelerators.
#pragma once

#include "gui/common/command_ids.h"

#include <QKeySequence>
#include <QList>
#include <QString>

struct CommandInfo {
    Cmd id;
    const char* objectName;
    // The menu text with its accelerator after a tab, as the user sees it.
    const char* menuText;
    // The status-bar prompt, then after a line break the tool tip.
    const char* promptAndTip;
};

const CommandInfo& InfoOf(Cmd id);
// The keys of a command: the one named in its menu text and any alternatives.
QList<QKeySequence> ShortcutsOf(Cmd id);
// "prompt\ntip" split into its two parts; a string without a line break is the prompt alone.
QString PromptOf(const char* promptAndTip);
QString TipOf(const char* promptAndTip);
// The menu text without its accelerator part.
QString MenuLabelOf(const char* menuText);

// The menu text of Undo or Redo naming the edit it takes back or makes again.
QString EditMenuText(Cmd id, const QString& editName);

// The menu text of the Reset command while the module list is shown.
inline constexpr const char* kRestoreModuleDefaultsText = "Restore Module Defaults\tCtrl+D";
