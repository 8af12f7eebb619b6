// cvk.bat, which drives the DOS tool through its steps across reboots, and the call to it that
// autoexec.bat gets.
#include "engine/output/batch_files.h"

#include "engine/include/cvkserver.h"
#include "platform/storage/atomic_file.h"
#include "platform/text/codepage.h"
#include "platform/text/text_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <iterator>

namespace cvk {
namespace {

using text::TextWriter;

std::string JoinPath(const std::string& dir, std::u16string_view name) {
    std::string path = dir;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + text::Utf16ToUtf8(name);
}

// The names of the steps; each is also the text that the marker file holds while the step is
// the next to run, and the first part of the step's labels.
constexpr std::u16string_view kBios = u"Bios";
constexpr std::u16string_view kLang = u"Lang";
constexpr std::u16string_view kInstall = u"Install";
constexpr std::u16string_view kReport = u"Report";
constexpr std::u16string_view kMarker = kBatchMarkerFile;

std::u16string Concat(std::initializer_list<std::u16string_view> parts) {
    std::u16string text;
    for (std::u16string_view part : parts)
        text += part;
    return text;
}

void WriteHeader(TextWriter& out) {
    out.WriteLine(u"@echo off");
    out.WriteLine();
    out.WriteLine(u":: HALVEX(R) CORVANE");
    out.WriteLine(u":: System-generated batch file");
    out.WriteLine();
}

// A step runs only while the marker names it; otherwise control skips to its end label.
void WriteMarkerCheck(TextWriter& out, std::u16string_view step) {
    out.WriteLine(Concat({u"FIND /I \"", step, u"\" ", kMarker, u" > NUL"}));
    out.WriteLine(Concat({u"IF ERRORLEVEL 1 goto ", step, u"End "}));
}

// Before its command reboots the board, a step records the step that follows it.
void WriteNextStep(TextWriter& out, std::u16string_view next) {
    out.WriteLine(Concat({u"echo ", next, u" > ", kMarker, u" "}));
}

void WriteEndLabel(TextWriter& out, std::u16string_view step) {
    out.WriteLine(Concat({u":", step, u"End"}));
    out.WriteLine();
}

// The file names that the DOS tool's options refer to.
struct DerivedNames {
    std::u16string ini;
    std::u16string report; // empty when no report is asked for
    std::u16string logOption;
};

DerivedNames DeriveNames(const BatchOptions& options) {
    DerivedNames names;
    names.ini = options.baseName + u".ini";
    if (options.commandMask & kBatchCommandReport)
        names.report = options.baseName + u".txt";
    if (options.commandMask & kBatchCommandLog)
        names.logOption = u"-log=" + options.baseName + u".log";
    return names;
}

void WriteBiosStep(TextWriter& out, const BatchOptions& options, const DerivedNames& names) {
    // The first run has no marker yet: it enters here, the only step with an entry label.
    out.WriteLine(Concat({u"IF NOT EXIST ", kMarker, u" GOTO ", kBios}));
    WriteMarkerCheck(out, kBios);
    out.WriteLine(Concat({u":", kBios}));
    WriteNextStep(out, kLang);
    if (!options.biosName.empty())
        out.WriteLine(
            Concat({u"cvtool flash -bio=", options.biosName, u" ", names.logOption, u" "}));
    WriteEndLabel(out, kBios);
}

void WriteLangStep(TextWriter& out, const BatchOptions& options, const DerivedNames& names) {
    out.WriteLine(Concat({u"::", kLang}));
    WriteMarkerCheck(out, kLang);
    WriteNextStep(out, kInstall);
    if (!options.langPackName.empty())
        out.WriteLine(
            Concat({u"cvtool flash -lang=", options.langPackName, u" ", names.logOption, u" "}));
    WriteEndLabel(out, kLang);
}

std::u16string InstallLine(LONG subsysMask, const DerivedNames& names) {
    const std::u16string_view cmos = (subsysMask & SUBSYS_CMOS) ? u"-cmos " : u"";
    const std::u16string_view smbios = (subsysMask & SUBSYS_SMBIOS) ? u"-smbios " : u"";
    const std::u16string_view therm = (subsysMask & SUBSYS_ENVCTL) ? u"-therm " : u"";
    return Concat({u"cvtool install ", cmos, smbios, therm, u"-ini=", names.ini, u" ",
                   names.logOption, u" -reboot "});
}

void WriteInstallStep(TextWriter& out, const BatchOptions& options, const DerivedNames& names) {
    out.WriteLine(Concat({u"::", kInstall}));
    WriteMarkerCheck(out, kInstall);
    WriteNextStep(out, kReport);
    if (options.subsysMask != 0)
        out.WriteLine(InstallLine(options.subsysMask, names));
    WriteEndLabel(out, kInstall);
}

void WriteReportStep(TextWriter& out, const DerivedNames& names) {
    out.WriteLine(Concat({u"::", kReport}));
    WriteMarkerCheck(out, kReport);
    // The last step removes the marker, so that a further run starts again at the BIOS step.
    out.WriteLine(Concat({u"DEL ", kMarker, u" "}));
    if (!names.report.empty())
        out.WriteLine(Concat({u"cvtool report -txt=", names.report, u" "}));
    WriteEndLabel(out, kReport);
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
        return static_cast<char>(c < 0x80 ? std::toupper(c) : c);
    });
    return upper;
}

// A comment line (REM or ::) that names the batch file does not call it.
bool LineCallsBatch(std::string_view line) {
    const std::string upper = UpperCase(line);
    const std::string batch = UpperCase(text::EncodeWindows1252(kBatchFileName));
    return upper.find(batch) != std::string::npos && upper.find("REM ") == std::string::npos &&
           upper.find("::") == std::string::npos;
}

// S_OK with the file's bytes, S_FALSE when there is no file, E_FAIL when it cannot be read.
HRESULT ReadExistingFile(const std::string& path, std::string* bytes) {
    bytes->clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? S_FALSE : E_FAIL;
    if (!S_ISREG(info.st_mode))
        return E_FAIL;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return E_FAIL;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? E_FAIL : S_OK;
}

} // namespace

std::string BatchFileText(const BatchOptions& options) {
    const DerivedNames names = DeriveNames(options);
    TextWriter out;
    WriteHeader(out);
    WriteBiosStep(out, options, names);
    WriteLangStep(out, options, names);
    WriteInstallStep(out, options, names);
    WriteReportStep(out, names);
    return out.Bytes();
}

HRESULT WriteBatchFile(const std::string& dir, const BatchOptions& options) {
    const std::string path = JoinPath(dir, kBatchFileName);
    return SUCCEEDED(storage::WriteFileAtomically(path, BatchFileText(options))) ? S_OK : E_FAIL;
}

bool AutoexecCallsBatch(std::string_view autoexecBytes) {
    // Whole lines are looked at, however long, so that a REM early in a long line still counts.
    std::size_t start = 0;
    while (start < autoexecBytes.size()) {
        std::size_t end = autoexecBytes.find('\n', start);
        if (end == std::string_view::npos)
            end = autoexecBytes.size();
        if (LineCallsBatch(autoexecBytes.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

std::string AutoexecCallText() {
    TextWriter out;
    out.WriteLine();
    out.WriteLine(u"@echo off");
    out.WriteLine();
    out.WriteLine();
    out.WriteLine(u":: Call Halvex(R) Corvane batch file.");
    out.WriteLine();
    out.WriteLine(Concat({u"Call ", kBatchFileName, u" "}));
    return out.Bytes();
}

HRESULT AddBatchCallToAutoexec(const std::string& dir) {
    const std::string path = JoinPath(dir, kAutoexecFileName);
    std::string bytes;
    if (FAILED(ReadExistingFile(path, &bytes)))
        return E_FAIL;
    if (AutoexecCallsBatch(bytes))
        return S_OK;
    // The whole file is rewritten through a temporary one, so that a failed write leaves the
    // board's boot file as it was rather than cut short.
    bytes += AutoexecCallText();
    return SUCCEEDED(storage::WriteFileAtomically(path, bytes)) ? S_OK : E_FAIL;
}

} // namespace cvk
