// Report: the plain-text system information report of a workspace.
#pragma once

#include "engine/core/server_module.h"
#include "engine/include/cvkserver.h"
#include "platform/com/bstr.h"
#include "platform/com/comptr.h"
#include "platform/com/errorinfo.h"

#include <ctime>
#include <functional>
#include <string>

namespace cvk {

inline constexpr char16_t kReportErrorSource[] = u"CvkServer.Report.1";

// What the workspace hands a report: its subsystem objects and copies of its strings. Any
// object may be missing (a report made by class identifier has none); a section that needs a
// missing object fails.
struct ReportSources {
    ComPtr<ICmos> cmos;
    ComPtr<ISmbiosList> smbios;
    ComPtr<ITherm> therm;
    ComPtr<IFlex> flex;
    Bstr biosVersion;
    Bstr buildDate;
    Bstr mapFile; // shown as the BIOS file location
    Bstr biosId;
    Bstr iniFile;
};

// The local time that the report's header shows; tests put a fixed one in its place.
using ReportClock = std::function<std::tm()>;
std::tm LocalTimeNow();

// The header's time line without its indent: the weekday, month, day and time of the standard
// date text with the hour in 12-hour form, then "AM" or "PM" ("Thu Mar 14 01:05:00 PM").
std::u16string ReportTimeText(const std::tm& time);

// The bytes of the report (Windows-1252, CR LF) for the subsystems in `mask`; the status of the
// first subsystem call that fails, or E_FAIL for a section whose object is missing.
HRESULT BuildReportText(const ReportSources& sources, LONG mask, const std::tm& time,
                        std::string* bytes);

class Report : public EngineObject<IReport, ISupportErrorInfo> {
public:
    static constexpr CLSID clsid = CLSID_Report;

    // IReport: writes the file whole, or leaves an earlier one as it was.
    HRESULT GenerateReport(BSTR fileName, LONG subsystemMask) override;

    // Internal
    void SetSources(ReportSources sources) { sources_ = std::move(sources); }
    void SetClock(ReportClock clock) { clock_ = std::move(clock); }

private:
    ReportSources sources_;
    ReportClock clock_ = LocalTimeNow;
};

} // namespace cvk
