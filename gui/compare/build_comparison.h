// CBuildComparison: two builds read through the engine and compared with the carry-over's rule,
// as the compare view and the update preview show them.
#pragma once

#include "client/build_diff.h"
#include "engine/include/cvkserver.h"

#include <QString>
#include <QStringList>

#include <memory>

class CBuildComparison {
public:
    // The open workspace, with its answers, against a fresh workspace of `newMap`: what an update
    // to `newMap` would carry over and flag. Neither workspace is changed.
    static std::unique_ptr<CBuildComparison> OfUpdate(IWorkspace* workspace, const QString& newMap);
    // The defaults of two map files.
    static std::unique_ptr<CBuildComparison> OfMapFiles(const QString& oldMap,
                                                        const QString& newMap);

    CBuildComparison(const CBuildComparison&) = delete;
    CBuildComparison& operator=(const CBuildComparison&) = delete;

    const cvkclient::WorkspaceSnapshot& old() const { return old_; }
    const cvkclient::WorkspaceSnapshot& fresh() const { return fresh_; }
    // Points into the two snapshots above.
    const cvkclient::BuildDiff& diff() const { return diff_; }

private:
    CBuildComparison() = default;
    // Reads the new build aside (the program's server holds the open workspace) and compares.
    void CompareWith(const QString& newMap);

    cvkclient::WorkspaceSnapshot old_;
    cvkclient::WorkspaceSnapshot fresh_;
    cvkclient::BuildDiff diff_;
};

namespace cvkgui {

QString FromUtf8(const std::string& text);
// "Advanced/CPU Configuration/C1E Support", as cvk writes a path.
QString JoinedPath(const cvkclient::Path& path);
// The joined path with the keyword after it in brackets, when the setting has one.
QString DescribeSetting(const cvkclient::CmosSetting& setting);
// "P1.11 (TR865PE.86A.0037.P11)".
QString DescribeBuild(const cvkclient::Identification& id);

} // namespace cvkgui
