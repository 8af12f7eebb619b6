// CHelpWnd: the help window: the contents of the compiled help beside the page of a context.
#pragma once

#include "gui/shell/chm_file.h"

#include <QTextBrowser>
#include <QWidget>

#include <memory>

class QListWidget;

// A text browser whose pages, style sheets and pictures come from the compiled help.
class CHelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    CHelpBrowser(const CChmFile* file, QWidget* parent);
    // The address of a page inside the help file ("/cmos.html").
    static QUrl PageUrl(const QString& page);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    const CChmFile* file_;
};

class CHelpWnd : public QWidget {
    Q_OBJECT
public:
    // Null when `path` is not a readable compiled help file.
    static std::unique_ptr<CHelpWnd> Open(const QString& path);

    // Shows, raises and turns to the page of `context`; false when the file maps no page to it.
    bool ShowContext(int context);
    // The page shown, as a path inside the help file ("/cmos.html"); empty before the first.
    QString currentPage() const;
    CHelpBrowser* browser() const { return browser_; }
    QListWidget* contents() const { return contents_; }

private:
    explicit CHelpWnd(std::unique_ptr<CChmFile> file);
    void ShowPage(const QString& page);
    void SelectContentsOf(const QUrl& source);

    std::unique_ptr<CChmFile> file_;
    CHelpBrowser* browser_ = nullptr;
    QListWidget* contents_ = nullptr;
};
