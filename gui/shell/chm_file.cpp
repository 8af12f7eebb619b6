// The compiled help reader over libchm.
#include "gui/shell/chm_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

#include <chm_lib.h>

namespace {

// Objects larger than this are not help pages; refusing them keeps a damaged file from making
// the reader allocate its claimed size.
constexpr LONGUINT64 kMaxObjectSize = 64u * 1024u * 1024u;

// The context map (#IVB) is a byte count followed by pairs of 32-bit little-endian numbers:
// the context and the offset of its page name in #STRINGS.
constexpr int kIvbPairSize = 8;

quint32 ReadU32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

CChmFile::~CChmFile() {
    chm_close(handle_);
}

std::unique_ptr<CChmFile> CChmFile::Open(const QString& path) {
    // libchm takes any file it can open; a missing file must not reach it.
    if (!QFile::exists(path))
        return nullptr;
    chmFile* handle = chm_open(QFile::encodeName(path).constData());
    if (!handle)
        return nullptr;
    return std::unique_ptr<CChmFile>(new CChmFile(handle));
}

QByteArray CChmFile::Read(const QString& objectPath) const {
    chmUnitInfo unit{};
    const QByteArray name = objectPath.toUtf8();
    if (chm_resolve_object(handle_, name.constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return {};
    if (unit.length > kMaxObjectSize)
        return {};
    if (unit.length == 0)
        return QByteArray("", 0);
    QByteArray bytes(static_cast<qsizetype>(unit.length), Qt::Uninitialized);
    const LONGINT64 got = chm_retrieve_object(
        handle_, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0, unit.length);
    if (got <= 0)
        return {};
    bytes.truncate(static_cast<qsizetype>(got));
    return bytes;
}

bool CChmFile::Contains(const QString& objectPath) const {
    chmUnitInfo unit{};
    const QByteArray name = objectPath.toUtf8();
    return chm_resolve_object(handle_, name.constData(), &unit) == CHM_RESOLVE_SUCCESS;
}

QString CChmFile::PageOfContext(int context) const {
    const QByteArray map = Read(QStringLiteral("/#IVB"));
    if (map.size() < 4)
        return {};
    const qsizetype end = qMin<qsizetype>(map.size(), 4 + ReadU32(map, 0));
    for (qsizetype at = 4; at + kIvbPairSize <= end; at += kIvbPairSize) {
        if (ReadU32(map, at) == static_cast<quint32>(context))
            return PageFromStrings(ReadU32(map, at + 4));
    }
    return {};
}

QString CChmFile::PageFromStrings(quint32 offset) const {
    const QByteArray strings = Read(QStringLiteral("/#STRINGS"));
    if (offset >= static_cast<quint32>(strings.size()))
        return {};
    const qsizetype start = static_cast<qsizetype>(offset);
    qsizetype stop = strings.indexOf('\0', start);
    if (stop < 0)
        stop = strings.size();
    // Compilers store the page as written in the project or as the path it was compiled from;
    // pages sit at the top of the file either way, so the name after the last slash finds it.
    QString name = QString::fromUtf8(strings.mid(start, stop - start));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    name = name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1);
    const QString page = QLatin1Char('/') + name;
    if (name.isEmpty() || !Contains(page))
        return {};
    return page;
}

QList<CChmFile::ContentsEntry> CChmFile::Contents() const {
    // The contents file is a list of sitemap objects, each with a Name and a Local parameter.
    static const QRegularExpression object(
        QStringLiteral(R"(<object[^>]*text/sitemap[^>]*>(.*?)</object>)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(
        QStringLiteral(R"re(<param\s+name="([^"]*)"\s+value="([^"]*)")re"),
        QRegularExpression::CaseInsensitiveOption);
    QList<ContentsEntry> entries;
    const QString toc = QString::fromUtf8(Read(QStringLiteral("/toc.hhc")));
    for (const auto& match : object.globalMatch(toc)) {
        ContentsEntry entry;
        for (const auto& p : param.globalMatch(match.captured(1))) {
            const QString key = p.captured(1).toLower();
            if (key == QLatin1String("name"))
                entry.name = p.captured(2);
            else if (key == QLatin1String("local"))
                entry.page = QLatin1Char('/') + p.captured(2);
        }
        if (!entry.name.isEmpty() && Contains(entry.page))
            entries.append(entry);
    }
    return entries;
}
