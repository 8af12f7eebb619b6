// The folder picker of the media wizard, answerable by tests like the program's file choosers.
#pragma once

#include <QString>

#include <functional>

class QWidget;

class CFolderPicker {
public:
    // The folder the user picks, with `prompt` as the picker's title; empty on cancel.
    static QString Choose(QWidget* parent, const QString& prompt, const QString& start);

    // A responder, when set, answers instead of the picker (given the prompt).
    using Responder = std::function<QString(const QString& prompt)>;
    static void SetResponder(Responder responder);
};
