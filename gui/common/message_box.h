// The one way the program shows message boxes and file choosers, so that tests can answer them.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// True when the file exists and has no write permission bit: a read-only file, also for root.
bool IsReadOnlyFile(const QString& path);

// Every message box of the program goes through Show. A responder, when set, answers instead
// of a modal box; tests use it to see what would have been shown and to choose the answer.
//
// A test that runs the program as a process of its own answers through files instead: the file
// named by CORVANE_MESSAGE_ANSWERS holds one answer per line, taken in the order the program
// asks: a button name ("Yes", "No", "Cancel", "Ok") for a message box, a path for a file
// chooser (an empty line cancels). Each question and its answer is appended to the file named
// by CORVANE_MESSAGE_LOG. Once the answers run out, or one does not fit, the user is asked.
class CMessageBox {
public:
    struct Request {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        // Empty: the program's title.
        QString caption;
        // NoButton: the toolkit's choice.
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };
    using Responder = std::function<QMessageBox::StandardButton(const Request&)>;

    static QMessageBox::StandardButton Show(const Request& request);
    static QMessageBox::StandardButton Show(QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static void Error(const QString& text) { Show(QMessageBox::Critical, text); }
    static void Exclamation(const QString& text) { Show(QMessageBox::Warning, text); }
    static void Information(const QString& text) { Show(QMessageBox::Information, text); }
    static void SetResponder(Responder responder);
};

// File choosers: opening an existing file, naming a file to save or picking a folder. A
// responder, when set, answers instead of the dialog (an empty path is a cancel).
class CFileChooser {
public:
    enum class Mode { Open, Save, Folder };
    struct Request {
        Mode mode = Mode::Open;
        QString start;         // folder or proposed path
        QString filter;        // "Name (*.ext);;All Files (*)"
        QString defaultSuffix; // without the dot
        QString title;         // empty: the toolkit's own
    };
    using Responder = std::function<QString(const Request&)>;

    static QString Choose(QWidget* parent, const Request& request);
    // A save chooser that refuses read-only files, whoever answers it, and asks again.
    static QString ChooseWritable(QWidget* parent, const Request& request);
    static void SetResponder(Responder responder);

private:
    static QString RunDialog(QWidget* parent, const Request& request);
};
