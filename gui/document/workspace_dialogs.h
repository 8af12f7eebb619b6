// The workspace dialogs: "Create A Workspace", Add/Remove Workspace Components and Update
// Workspace to a Different BIOS File, with the component check boxes they share.
#pragma once

#include "engine/include/cvkserver.h"
#include "gui/common/gui_host.h"

#include <QDialog>
#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The subsystem masks as the server states them; the GUI never assumes their values.
struct CSubsystemMasks {
    LONG bom = 0;
    LONG cmos = 0;
    LONG envctl = 0;
    LONG smbios = 0;
    LONG splash = 0;
    LONG flex = 0;
    LONG available = 0;
    // Throws CEngineError.
    static CSubsystemMasks Read(IServer* server);
};

// The six component check boxes in a group, each standing for one subsystem mask.
class CComponentBoxes : public QGroupBox {
    Q_OBJECT
public:
    enum Component { Cmos, Smbios, Thermaline, Splash, Bom, Flex, kCount };

    CComponentBoxes(const QString& title, QWidget* parent);
    void SetMasks(const CSubsystemMasks& masks) { masks_ = masks; }
    QCheckBox* box(Component component) const { return boxes_[component]; }
    LONG MaskOf(Component component) const;
    bool IsAvailable(Component component) const;
    // Shows, enables and checks (or unchecks) a box, or hides it.
    void Present(Component component, bool shown, bool checked);
    // The OR of the masks of the checked boxes, read in the order BOM, CMOS, Thermaline,
    // SMBIOS, Splash, Flex Modules.
    LONG CheckedMask() const;

private:
    CSubsystemMasks masks_;
    QCheckBox* boxes_[kCount] = {};
};

// True when `text` names an existing file that is not a folder.
bool IsValidFilePath(const QString& text);

class CCreateWorkspaceDlg : public QDialog {
    Q_OBJECT
public:
    CCreateWorkspaceDlg(CGuiHost* host, QWidget* parent);
    // Reads the available subsystems; on an engine failure shows message 183, asks the main
    // window to close and returns false.
    bool Initialise();
    QString biosFile() const { return biosFile_; }
    LONG mask() const { return mask_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnBrowse();
    void CheckText();

    CGuiHost* host_;
    CSubsystemMasks masks_;
    QLineEdit* edit_ = nullptr;
    QPushButton* ok_ = nullptr;
    CComponentBoxes* boxes_ = nullptr;
    bool flexBios_ = false;
    QString biosFile_;
    LONG mask_ = 0;
};

class CAddRemoveComponentsDlg : public QDialog {
    Q_OBJECT
public:
    CAddRemoveComponentsDlg(CGuiHost* host, IWorkspace* workspace, QWidget* parent);
    // Throws CEngineError.
    void Initialise();
    LONG mask() const { return mask_; }
    bool flexChecked() const;

    void accept() override;

private:
    CGuiHost* host_;
    IWorkspace* workspace_;
    CComponentBoxes* boxes_ = nullptr;
    LONG mask_ = 0;
};

class CUpdateBiosDlg : public QDialog {
    Q_OBJECT
public:
    CUpdateBiosDlg(const QString& oldFile, const QString& biosDefaultDir, QWidget* parent);
    QString newBiosFile() const { return newFile_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnBrowse();

    QString biosDefaultDir_;
    QLineEdit* newEdit_ = nullptr;
    QPushButton* update_ = nullptr;
    QString newFile_;
};
