// CAboutDlg: "About Halvex(R) Corvane" with the versions of the program, the engine, the
// module engine and the DOS tool it works with.
#pragma once

#include <QDialog>

class CCvkApp;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(CCvkApp* app, QWidget* parent);

    // "2.10.0.0012": the program's version.
    static QString GuiVersion();
    // "2.10.0005": the DOS tool version the generated files are made for.
    static QString CvtoolVersion();
};
