// The output commands and Options, run for the application: the glue between the commands and
// the dialogs of gui/output, which get the engine objects and the settings they need.
#pragma once

#include "gui/shell/commands.h"

class CCvkApp;

// Runs Generate INI File, Generate Report, Generate BIOS File or Options.
void RunOutputCommand(CCvkApp* app, Cmd id);
