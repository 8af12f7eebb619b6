// The splash-screen editor.
#include "gui/splash/splash_editor.h"

#include "gui/common/engine_call.h"
#include "gui/common/message_box.h"
#include "gui/common/operation_guard.h"
#include "gui/modules/engine_failure.h"
#include "gui/splash/badge_location_dlg.h"
#include "gui/splash/badge_picture.h"
#include "gui/splash/splash_canvas.h"

#include <QActionGroup>
#include <QFileInfo>
#include <QImageReader>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Customize BIOS Splash Screen");
const QString kPictureFilter =
    QStringLiteral("All picture types (*.jpg *.jpeg *.jfif *.bmp);;Jpeg (*.jpg *.jpeg *.jfif);;"
                   "Bitmap (*.bmp);;All Files (*)");
const QString kCannotOpen = QStringLiteral("Cannot open the picture %1.");
const QString kTooLarge =
    QStringLiteral("Unable to open the selected JPG.  Verify that the size of the image does not "
                   "exceed the resolution requirements.");
const QString kInvalidImage = QStringLiteral(
    "The image you have selected is invalid. Unable to complete the save operation.");
const QString kSaveQuestion =
    QStringLiteral("Do you want to save the changes to the BIOS splash screen?");
constexpr int kMaxWidth = 1024;
constexpr int kMaxHeight = 768;

QSize ToQSize(cvkclient::PixelSize size) {
    return QSize(size.width, size.height);
}

cvkclient::BadgeCorner CornerOf(CSplashEditor::Place place) {
    switch (place) {
    case CSplashEditor::Place::UpperRight:
        return cvkclient::BadgeCorner::UpperRight;
    case CSplashEditor::Place::LowerLeft:
        return cvkclient::BadgeCorner::LowerLeft;
    case CSplashEditor::Place::LowerRight:
        return cvkclient::BadgeCorner::LowerRight;
    default:
        return cvkclient::BadgeCorner::UpperLeft;
    }
}

// A store that the logo module refused as unsuitable for the picture.

} // namespace

CSplashEditor::CSplashEditor(IFlexLogoModule* logo, const QString& jpegDefaultDir, QWidget* parent)
    : QDialog(parent), logo_(logo), jpegDefaultDir_(jpegDefaultDir) {
    setObjectName(QStringLiteral("splashEditor"));
    setWindowTitle(kTitle);
    setModal(true);
    canvas_ = new CSplashCanvas(this);
    canvas_->setFixedSize(ToQSize(cvkclient::ScreenSize(screen_)));
    statusBar_ = new QStatusBar(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(canvas_, 1, Qt::AlignCenter);
    layout->addWidget(statusBar_);
    CreateMenus();
    ShowCurrentPicture();
    UpdateCommands();
}

CSplashEditor::~CSplashEditor() {
    if (badgeDialog_)
        delete badgeDialog_.data();
}

void CSplashEditor::CreateMenus() {
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    auto add = [this](QMenu* menu, const char* name, const QString& text, const QString& tip,
                      auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(tip);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    add(file, "actionOpen", QStringLiteral("Open JPG File..."), QString(), [this] { OnOpen(); });
    add(file, "actionUpdate", QStringLiteral("Update BIOS file"), QString(), [this] { Store(); });
    file->addSeparator();
    add(file, "actionExit", QStringLiteral("Exit"), QString(), [this] { OnExit(); });
    QMenu* badge = bar->addMenu(QStringLiteral("&Badge"));
    add(badge, "actionDisplayBadge", QStringLiteral("Display Badge"), QString(), [this] {
        OnToggleBadge();
    })->setCheckable(true);
    QMenu* location = badge->addMenu(QStringLiteral("Edit Badge Location"));
    location->setObjectName(QStringLiteral("locationMenu"));
    auto* corners = new QActionGroup(this);
    struct Corner {
        const char* name;
        const char* text;
        const char* prompt;
        Place place;
    };
    static const Corner kCorners[] = {
        {"actionUpperLeft", "Upper Left", "Position the badge in the upper left corner",
         Place::UpperLeft},
        {"actionUpperRight", "Upper Right", "Position the badge in the upper right corner",
         Place::UpperRight},
        {"actionLowerLeft", "Lower Left", "Position the badge in the lower left corner",
         Place::LowerLeft},
        {"actionLowerRight", "Lower Right", "Position the badge in the lower right corner",
         Place::LowerRight},
    };
    for (const Corner& corner : kCorners) {
        QAction* action = add(location, corner.name, QString::fromLatin1(corner.text),
                              QString::fromLatin1(corner.prompt),
                              [this, place = corner.place] { PlaceBadge(place); });
        action->setToolTip(QString::fromLatin1(corner.text));
        action->setCheckable(true);
        corners->addAction(action);
    }
    QAction* custom = add(location, "actionCustom", QStringLiteral("Custom..."),
                          QStringLiteral("Set custom badge position"), [this] { OnCustom(); });
    custom->setToolTip(QStringLiteral("Custom"));
    custom->setCheckable(true);
    corners->addAction(custom);
}

QAction* CSplashEditor::action(const char* objectName) const {
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

void CSplashEditor::UpdateCommands() {
    action("actionUpdate")->setEnabled(imageLoaded_);
    action("actionDisplayBadge")->setEnabled(imageLoaded_);
    action("actionDisplayBadge")->setChecked(displayBadge_);
    static const char* const kPlaces[] = {"actionUpperLeft", "actionUpperRight", "actionLowerLeft",
                                          "actionLowerRight", "actionCustom"};
    for (int i = 0; i < 5; ++i) {
        QAction* place = action(kPlaces[i]);
        place->setEnabled(imageLoaded_ && displayBadge_);
        place->setChecked(static_cast<int>(place_) == i);
    }
}

void CSplashEditor::ShowPicture(const QImage& picture) {
    canvas_->SetPicture(picture, ToQSize(cvkclient::ScreenSize(screen_)));
    canvas_->SetBadge(BadgePicture(screen_));
    adjustSize();
}

// The logo module's own picture, when its file is still there, so that editing starts from it.
void CSplashEditor::ShowCurrentPicture() {
    // On a failure the editor starts empty, as it does for a module without a picture.
    cvkgui::GuardOperation(cvkgui::Quietly(), [this] {
        cvk::ComPtr<IFlexModule> module;
        ThrowIfFailed(logo_->QueryInterface(IFlexModule::iid, module.put_void()));
        if (!GetBool(module.get(), &IFlexModule::get_ContainsUserData))
            return;
        const QString path = GetText(logo_.get(), &IFlexLogoModule::get_ImageName);
        const QImage picture = QImageReader(path).read();
        if (picture.isNull() || picture.width() > kMaxWidth || picture.height() > kMaxHeight)
            return;
        imagePath_ = path;
        imageSize_ = picture.size();
        screen_ = cvkclient::ScreenFor(picture.width(), picture.height());
        displayBadge_ = GetBool(logo_.get(), &IFlexLogoModule::get_DisplayBadge);
        badgePosition_ = QPoint(GetLong(logo_.get(), &IFlexLogoModule::get_BadgeLocX),
                                GetLong(logo_.get(), &IFlexLogoModule::get_BadgeLocY));
        place_ = Place::Custom;
        for (Place corner :
             {Place::UpperLeft, Place::UpperRight, Place::LowerLeft, Place::LowerRight}) {
            const cvkclient::BadgePosition at =
                cvkclient::CornerPosition(CornerOf(corner), screen_);
            if (QPoint(at.x, at.y) == badgePosition_)
                place_ = corner;
        }
        imageLoaded_ = true;
        pictureStored_ = true;
        ShowPicture(picture);
        canvas_->MoveBadge(badgePosition_);
        canvas_->SetBadgeShown(displayBadge_);
    });
}

void CSplashEditor::OnOpen() {
    CFileChooser::Request request;
    request.mode = CFileChooser::Mode::Open;
    request.start = jpegDefaultDir_;
    request.filter = kPictureFilter;
    const QString path = CFileChooser::Choose(this, request);
    if (path.isEmpty())
        return;
    jpegDefaultDir_ = QFileInfo(path).absolutePath();
    OpenPicture(path);
}

bool CSplashEditor::OpenPicture(const QString& path) {
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        CMessageBox::Exclamation(kCannotOpen.arg(QFileInfo(path).fileName()));
        return false;
    }
    if (picture.width() <= 0 || picture.height() <= 0)
        return false;
    if (picture.width() > kMaxWidth || picture.height() > kMaxHeight) {
        CMessageBox::Exclamation(kTooLarge);
        return false;
    }
    imagePath_ = QFileInfo(path).absoluteFilePath();
    imageSize_ = picture.size();
    screen_ = cvkclient::ScreenFor(picture.width(), picture.height());
    ShowPicture(picture);
    imageLoaded_ = true;
    pictureStored_ = false;
    changed_ = true;
    if (displayBadge_ && place_ != Place::Custom)
        PlaceBadge(place_);
    UpdateCommands();
    return true;
}

void CSplashEditor::OnToggleBadge() {
    if (!imageLoaded_)
        return;
    displayBadge_ = !displayBadge_;
    canvas_->MoveBadge(badgePosition_);
    canvas_->SetBadgeShown(displayBadge_);
    changed_ = true;
    UpdateCommands();
}

void CSplashEditor::MoveBadgeTo(const QPoint& position) {
    badgePosition_ = position;
    canvas_->MoveBadge(position);
    changed_ = true;
    UpdateCommands();
}

void CSplashEditor::PlaceBadge(Place place) {
    if (place == Place::Custom)
        return;
    // Flush with the corner, within what the logo module accepts: the preview shows the badge
    // where it will be stored.
    const cvkclient::BadgePosition at = cvkclient::CornerPosition(CornerOf(place), screen_);
    place_ = place;
    MoveBadgeTo(QPoint(at.x, at.y));
}

void CSplashEditor::OnCustom() {
    if (badgeDialog_) {
        badgeDialog_->raise();
        return;
    }
    badgeDialog_ = new CBadgeLocationDlg(badgePosition_, this);
    if (!badgeDialog_) {
        CMessageBox::Error(QStringLiteral("Error creating dialog"));
        return;
    }
    connect(badgeDialog_, &CBadgeLocationDlg::positionChosen, this,
            &CSplashEditor::SetCustomPosition);
    badgeDialog_->setModal(false);
    badgeDialog_->show();
    UpdateCommands();
}

void CSplashEditor::SetCustomPosition(const QPoint& position) {
    place_ = Place::Custom;
    MoveBadgeTo(position);
}

bool CSplashEditor::Store() {
    if (!imageLoaded_)
        return false;
    // The logo module answers E_UNEXPECTED for a picture that does not suit it; that, and any
    // failure outside the engine, is an invalid image. A refused picture leaves the module's
    // previous one in place, and the editor keeps what the user chose so that nothing is lost.
    const auto onFailure = [](HRESULT status) {
        if (status == E_UNEXPECTED)
            CMessageBox::Error(kInvalidImage);
        else
            ShowEngineFailure();
    };
    const bool stored = cvkgui::GuardOperation(onFailure, [this] {
        if (!pictureStored_) {
            ThrowIfFailed(
                logo_->SetImage(ToBstr(imagePath_).get(), imageSize_.width(), imageSize_.height()));
            pictureStored_ = true;
        }
        ThrowIfFailed(logo_->put_DisplayBadge(ToVariantBool(displayBadge_)));
        if (displayBadge_) {
            ThrowIfFailed(logo_->put_BadgeLocX(badgePosition_.x()));
            ThrowIfFailed(logo_->put_BadgeLocY(badgePosition_.y()));
        }
    });
    if (stored) {
        changed_ = false;
        stored_ = true;
    }
    return stored;
}

bool CSplashEditor::AskToStore() {
    if (!changed_)
        return true;
    const QMessageBox::StandardButton answer =
        CMessageBox::Show(QMessageBox::Question, kSaveQuestion, QMessageBox::Yes | QMessageBox::No);
    return answer != QMessageBox::Yes || Store();
}

void CSplashEditor::OnExit() {
    close();
}

// Exit, closing the window and Escape all leave through here.
void CSplashEditor::reject() {
    if (!AskToStore())
        return;
    if (badgeDialog_)
        badgeDialog_->close();
    QDialog::reject();
}
