// Error texts of the output files, so that a failure says in words what is wrong and where.
#include "engine/output/output_errors.h"

#include "platform/com/errorinfo.h"
#include "platform/storage/atomic_file.h"
#include "platform/text/codepage.h"
#include "platform/text/dos_name.h"

#include <sys/stat.h>

namespace cvk {
namespace {

std::u16string Quoted(std::u16string_view text) {
    return u"\"" + std::u16string(text) + u"\"";
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The cause of a failed write when the status does not say: the target as it is now.
HRESULT DiagnoseTarget(const std::string& path) {
    if (IsFolder(path))
        return STG_E_ACCESSDENIED;
    const HRESULT hr = storage::CheckReplaceable(path);
    return FAILED(hr) ? hr : STG_E_WRITEFAULT;
}

std::u16string WriteFailureText(const std::string& utf8Path, HRESULT cause) {
    const std::u16string path = Quoted(text::Utf8ToUtf16(utf8Path));
    switch (cause) {
    case STG_E_PATHNOTFOUND:
    case STG_E_FILENOTFOUND:
        return u"Cannot write " + path + u": its folder does not exist.";
    case STG_E_ACCESSDENIED:
        if (IsFolder(utf8Path))
            return u"Cannot write " + path + u": it is a folder.";
        return u"Cannot write " + path + u": the file or its folder is read-only.";
    case STG_E_MEDIUMFULL:
        return u"Cannot write " + path + u": the disk is full.";
    default:
        return u"Cannot write " + path + u": the disk may be full or failing.";
    }
}

} // namespace

bool IsDosBaseName(std::u16string_view name) {
    return text::IsDosBaseName(name);
}

HRESULT ReportBadBaseName(std::u16string_view source, std::u16string_view name) {
    return ReportError(source,
                       u"The base name " + Quoted(name) +
                           u" is not a DOS file name: 1 to 8 letters, digits or "
                           u"!#$%&'()-@^_`{}~, without blanks, dots or folder separators.",
                       E_FAIL);
}

HRESULT ReportMissingFolder(std::u16string_view source, std::u16string_view folder) {
    return ReportError(source, u"The folder " + Quoted(folder) + u" does not exist.", E_FAIL);
}

HRESULT ReportWriteFailure(std::u16string_view source, const std::string& utf8Path,
                           HRESULT storageStatus) {
    const bool named = storageStatus == STG_E_PATHNOTFOUND || storageStatus == STG_E_FILENOTFOUND ||
                       storageStatus == STG_E_ACCESSDENIED || storageStatus == STG_E_MEDIUMFULL;
    const HRESULT cause = named ? storageStatus : DiagnoseTarget(utf8Path);
    return ReportError(source, WriteFailureText(utf8Path, cause), E_FAIL);
}

} // namespace cvk
