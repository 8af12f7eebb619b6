// CEditHistory: the workspace's undo and redo. Each edit is recorded after it was made, as the
// engine calls that put back the values before it and the values after it; the history knows
// which of its states is the one last saved.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>

class CEditHistory : public QObject {
    Q_OBJECT
public:
    // Engine calls that put values back; they throw CEngineError on failure.
    using Apply = std::function<void()>;

    explicit CEditHistory(QObject* parent = nullptr);

    // Records an edit already made: `undo` puts the values before it back, `redo` those after.
    void Record(const QString& name, Apply undo, Apply redo);
    // Undoes or redoes one edit; false when an engine call failed, which leaves the engine
    // between two recorded states: the history is then emptied.
    bool Undo();
    bool Redo();

    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }
    // The names of the edits that Undo and Redo would take back or make again.
    QString undoName() const { return stack_.undoText(); }
    QString redoName() const { return stack_.redoText(); }
    int count() const { return stack_.count(); }

    // The current state is the one in the workspace file.
    void MarkSaved() { stack_.setClean(); }
    // The workspace changed outside the history: no recorded state is the saved one any more.
    void MarkUnsaved();
    bool atSavedState() const { return stack_.isClean(); }
    // Forgets every edit; `saved` says whether the current state is the one in the file.
    void Reset(bool saved);

Q_SIGNALS:
    // An edit was recorded, undone or redone, or the history was emptied.
    void changed();

private:
    bool Step(bool undo);

    QUndoStack stack_;
    // An engine call of the command being undone or redone failed.
    bool failed_ = false;
};

// The names of the edits in the Edit menu.
namespace cvkgui::edit {
inline const QString kEditValue = QStringLiteral("Edit Value");
inline const QString kLock = QStringLiteral("Lock");
inline const QString kUnlock = QStringLiteral("Unlock");
inline const QString kHide = QStringLiteral("Hide");
inline const QString kUnhide = QStringLiteral("Unhide");
inline const QString kResetCmos = QStringLiteral("Reset All CMOS Values");
inline const QString kMarkReviewed = QStringLiteral("Mark All as Reviewed");
inline const QString kClearLockHide = QStringLiteral("Clear All Lock/Hide");
inline const QString kPrompt = QStringLiteral("Prompt");
inline const QString kInBiosFile = QStringLiteral("In BIOS File");
inline const QString kRestoreModules = QStringLiteral("Restore Module Defaults");
inline const QString kSplashScreen = QStringLiteral("Splash Screen");
inline const QString kRemoveJpg = QStringLiteral("Remove JPG");
inline const QString kFirmwareHubSize = QStringLiteral("Firmware Hub Size");
} // namespace cvkgui::edit
