// Reading and comparing two builds for the compare view and the update preview.
#include "gui/compare/build_comparison.h"

#include "gui/common/engine_call.h"

std::unique_ptr<CBuildComparison> CBuildComparison::OfUpdate(IWorkspace* workspace,
                                                             const QString& newMap) {
    if (!workspace)
        throw CEngineError(E_POINTER);
    std::unique_ptr<CBuildComparison> comparison(new CBuildComparison);
    ThrowIfFailed(cvkclient::ReadWorkspace(workspace, &comparison->old_));
    comparison->CompareWith(newMap);
    return comparison;
}

std::unique_ptr<CBuildComparison> CBuildComparison::OfMapFiles(const QString& oldMap,
                                                               const QString& newMap) {
    std::unique_ptr<CBuildComparison> comparison(new CBuildComparison);
    ThrowIfFailed(cvkclient::ReadMapFileAside(oldMap.toStdString(), &comparison->old_));
    comparison->CompareWith(newMap);
    return comparison;
}

void CBuildComparison::CompareWith(const QString& newMap) {
    ThrowIfFailed(cvkclient::ReadMapFileAside(newMap.toStdString(), &fresh_));
    // A workspace without CMOS settings carries none over, and an update flags none.
    if (!old_.cmos)
        fresh_.cmos.reset();
    diff_ = cvkclient::CompareBuilds(old_, fresh_);
}

namespace cvkgui {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString JoinedPath(const cvkclient::Path& path) {
    QStringList parts;
    for (const std::string& part : path)
        parts.append(FromUtf8(part));
    return parts.join(QLatin1Char('/'));
}

QString DescribeSetting(const cvkclient::CmosSetting& setting) {
    const QString path = JoinedPath(setting.FullPath());
    if (setting.keyword.empty())
        return path;
    return QStringLiteral("%1 (%2)").arg(path, FromUtf8(setting.keyword));
}

QString DescribeBuild(const cvkclient::Identification& id) {
    return QStringLiteral("%1 (%2)").arg(FromUtf8(id.version), FromUtf8(id.biosId));
}

} // namespace cvkgui
