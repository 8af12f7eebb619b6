// The workspace's undo and redo.
#include "gui/document/edit_history.h"

#include "gui/common/operation_guard.h"

#include <QUndoCommand>

#include <utility>

namespace {

// One recorded edit. The edit was made before it was recorded, so the first redo, which the
// stack runs when the command is pushed, does nothing.
class CEngineEdit : public QUndoCommand {
public:
    CEngineEdit(const QString& name, CEditHistory::Apply undo, CEditHistory::Apply redo,
                bool* failed)
        : QUndoCommand(name), undo_(std::move(undo)), redo_(std::move(redo)), failed_(failed) {}

    void undo() override { Run(undo_); }
    void redo() override {
        if (pushed_)
            Run(redo_);
        pushed_ = true;
    }

private:
    void Run(const CEditHistory::Apply& apply) {
        if (!cvkgui::GuardOperation(cvkgui::Quietly(), apply))
            *failed_ = true;
    }

    CEditHistory::Apply undo_;
    CEditHistory::Apply redo_;
    bool* failed_;
    bool pushed_ = false;
};

} // namespace

CEditHistory::CEditHistory(QObject* parent) : QObject(parent) {}

void CEditHistory::Record(const QString& name, Apply undo, Apply redo) {
    stack_.push(new CEngineEdit(name, std::move(undo), std::move(redo), &failed_));
    Q_EMIT changed();
}

bool CEditHistory::Undo() {
    return Step(true);
}

bool CEditHistory::Redo() {
    return Step(false);
}

bool CEditHistory::Step(bool undo) {
    if (undo ? !stack_.canUndo() : !stack_.canRedo())
        return true;
    failed_ = false;
    if (undo)
        stack_.undo();
    else
        stack_.redo();
    const bool done = !failed_;
    if (!done)
        Reset(false);
    Q_EMIT changed();
    return done;
}

void CEditHistory::MarkUnsaved() {
    if (stack_.isClean())
        stack_.resetClean();
}

void CEditHistory::Reset(bool saved) {
    stack_.clear();
    if (!saved)
        stack_.resetClean();
    Q_EMIT changed();
}
