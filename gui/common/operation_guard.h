// The one guard of GUI operations. Every command's work runs inside GuardOperation: a failure
// thrown from it ends the operation and is handed, with its status, to the operation's failure
// answer. An engine call's failure (CEngineError) carries the engine's status; anything else
// (std::bad_alloc, a failure outside the engine) is kUnexpectedFailure.
//
//     GuardOperation(ShowMessage(cvkgui::text::kOperationFailed), [&] {
//         ThrowIfFailed(cmos->ClearLockHideSettings());
//     });
//
// ShowMessage(text) shows the operation's message, Fatal() shows message 183 and closes the
// program in the orderly way, Quietly() shows nothing (enabling tests); an operation whose
// message depends on the status passes its own `void(HRESULT)` callable.
#pragma once

#include "gui/common/engine_call.h"

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace cvkgui {

inline constexpr HRESULT kUnexpectedFailure = E_UNEXPECTED;

// Runs `operation`; true when it finished, false after `onFailure(status)` when it threw.
template <class OnFailure, class Operation>
bool GuardOperation(OnFailure&& onFailure, Operation&& operation) {
    HRESULT status = kUnexpectedFailure;
    try {
        std::forward<Operation>(operation)();
        return true;
    } catch (const CEngineError& error) {
        status = error.status();
    } catch (const std::exception&) {
        status = kUnexpectedFailure;
    }
    onFailure(status);
    return false;
}

// Message 183, then the orderly close of the program.
void ReportFatal();
// The shell's way of closing the program in the normal way (a close request to the main
// window); none is set outside the program.
void SetOrderlyClose(std::function<void()> close);
void RequestOrderlyClose();

// Failure answers.
void ShowError(const QString& text);
inline auto ShowMessage(QString text) {
    return [text = std::move(text)](HRESULT) { ShowError(text); };
}
inline auto Fatal() {
    return [](HRESULT) { ReportFatal(); };
}
inline auto Quietly() {
    return [](HRESULT) {};
}

} // namespace cvkgui
