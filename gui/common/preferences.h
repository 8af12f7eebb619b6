// CPreferences: the user's choices that the features read and change: the two warnings and
// the folders where the file choosers start. The application loads and saves them.
#pragma once

#include <QString>

struct CPreferences {
    // 1: show the warning before an advanced CMOS setting or a thermal setting is edited.
    int warnAdvancedCmos = 1;
    int warnThermal = 0;
    QString cvwDefaultDir;
    QString iniDefaultDir;
    QString jpegDefaultDir;
    QString biosDefaultDir;
    QString reportDefaultDir;
    QString lastBiosFile;
};
