// The two pages of the Generate Media wizard: Files (destination, batch file, components, free
// space, the DOS tool) and Options (base name, language pack, BIOS file, command mask, the flash
// utility).
#pragma once

#include "engine/include/cvkserver.h"
#include "media/free_space.h"

#include <QWizardPage>

class CComponentBoxes;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CGenerateFloppyFilesPage : public QWizardPage {
    Q_OBJECT
public:
    // Throws CEngineError when the server or the workspace cannot be read.
    CGenerateFloppyFilesPage(IServer* server, IWorkspace* workspace,
                             cvk::media::DiskSpaceQuery spaceQuery, QWidget* parent = nullptr);

    QString destination() const;
    void setDestination(const QString& folder);
    bool createBatchFile() const;
    bool copyCvtool() const;
    // The union of the ticked boxes' subsystem masks, read from the server each time.
    LONG subsystemMask() const;

private:
    void UpdateFreeSpace();
    void Browse();

    IServer* server_;
    cvk::media::DiskSpaceQuery spaceQuery_;
    QLineEdit* destination_;
    QCheckBox* batch_;
    CComponentBoxes* components_;
    QLabel* freeSpace_;
    QCheckBox* copyCvtool_;
};

class CGenerateFloppyOptionsPage : public QWizardPage {
    Q_OBJECT
public:
    // `modularBios` hides the language pack; `utilityFolder` is where the flash utility is
    // looked for first; `biosFolder` is where the BIOS chooser starts.
    CGenerateFloppyOptionsPage(bool modularBios, QString utilityFolder, QString biosFolder,
                               QWidget* parent = nullptr);

    void initializePage() override;
    // False until the page has been shown: then nothing of it is copied.
    bool shown() const { return shown_; }

    QString baseName() const;
    bool copyLangPack() const;
    QString langPackPath() const;
    bool copyBios() const;
    QString biosPath() const;
    LONG commandMask() const { return commandMask_; }
    bool copyRomwrite() const;
    QString utilityFolder() const { return utilityFolder_; }

private:
    void BrowseBios();
    void BrowseLangPack();
    void UpdateCommandMask();

    bool shown_ = false;
    bool modular_;
    QString utilityFolder_;
    QString biosFolder_;
    LONG commandMask_ = 0;
    QLineEdit* baseName_;
    QCheckBox* langPack_;
    QLineEdit* langPackPath_;
    QPushButton* langPackBrowse_;
    QCheckBox* bios_;
    QLineEdit* biosPath_;
    QCheckBox* logging_;
    QCheckBox* report_;
    QCheckBox* romwrite_;
};
