// CChmFile: read access to a compiled help file: its pages, its context map and its contents.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

struct chmFile;

class CChmFile {
public:
    struct ContentsEntry {
        QString name;
        QString page; // path inside the file, starting with "/"
    };

    ~CChmFile();
    CChmFile(const CChmFile&) = delete;
    CChmFile& operator=(const CChmFile&) = delete;

    // Null when the file is missing or is not a compiled help file.
    static std::unique_ptr<CChmFile> Open(const QString& path);

    // The bytes of a page or other object ("/general.html"); null when there is none.
    QByteArray Read(const QString& objectPath) const;
    bool Contains(const QString& objectPath) const;

    // The page of a context number from the file's context map; empty when the number is not
    // mapped or the page is not in the file.
    QString PageOfContext(int context) const;

    // The entries of the contents file (toc.hhc), in order.
    QList<ContentsEntry> Contents() const;

private:
    explicit CChmFile(chmFile* handle) : handle_(handle) {}
    QString PageFromStrings(quint32 offset) const;

    chmFile* handle_;
};
