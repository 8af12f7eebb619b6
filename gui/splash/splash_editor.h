// CSplashEditor: "Customize BIOS Splash Screen", the modal editor of the splash logo: the
// picture, whether the badge is shown and where, stored into the logo module on request.
#pragma once

#include "client/badge_corner.h"
#include "engine/include/cvkserver.h"
#include "gui/splash/badge_location_dlg.h"
#include "platform/com/comptr.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

class CSplashCanvas;
class QAction;
class QStatusBar;

class CSplashEditor : public QDialog {
    Q_OBJECT
public:
    enum class Place { UpperLeft, UpperRight, LowerLeft, LowerRight, Custom };

    // `jpegDefaultDir` is where the picture chooser starts; jpegDefaultDir() has the folder of
    // the last picture chosen.
    CSplashEditor(IFlexLogoModule* logo, const QString& jpegDefaultDir, QWidget* parent);
    ~CSplashEditor() override;

    QString jpegDefaultDir() const { return jpegDefaultDir_; }
    bool imageLoaded() const { return imageLoaded_; }
    QString imagePath() const { return imagePath_; }
    QSize imageSize() const { return imageSize_; }
    cvkclient::LogoScreen screen() const { return screen_; }
    bool displayBadge() const { return displayBadge_; }
    Place place() const { return place_; }
    QPoint badgePosition() const { return badgePosition_; }
    bool isChanged() const { return changed_; }
    // Something was stored into the logo module.
    bool stored() const { return stored_; }
    CSplashCanvas* canvas() const { return canvas_; }
    QAction* action(const char* objectName) const;
    CBadgeLocationDlg* badgeLocationDialog() const { return badgeDialog_; }

    // The commands.
    void OnOpen();
    // Opens `path` as the picture; false (after the message) when it cannot be used.
    bool OpenPicture(const QString& path);
    void OnToggleBadge();
    void PlaceBadge(Place place);
    void OnCustom();
    void SetCustomPosition(const QPoint& position);
    // Stores into the logo module; false (after the message, still changed) on failure.
    bool Store();
    // Exit: asks to save when changed; the editor stays open when the store failed.
    void OnExit();

    void reject() override;

private:
    void CreateMenus();
    void UpdateCommands();
    void ShowPicture(const QImage& picture);
    void ShowCurrentPicture();
    void MoveBadgeTo(const QPoint& position);
    bool AskToStore();

    cvk::ComPtr<IFlexLogoModule> logo_;
    QString jpegDefaultDir_;
    bool imageLoaded_ = false;
    // The picture is the one the logo module already holds: storing need not set it again.
    bool pictureStored_ = false;
    QString imagePath_;
    QSize imageSize_;
    cvkclient::LogoScreen screen_ = cvkclient::LogoScreen::Res1024x768;
    bool displayBadge_ = false;
    Place place_ = Place::UpperLeft;
    QPoint badgePosition_;
    bool changed_ = false;
    bool stored_ = false;
    CSplashCanvas* canvas_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    QPointer<CBadgeLocationDlg> badgeDialog_;
};
