// The system information report: header, My System, the SMBIOS, CMOS, thermal and module
// sections, and the end of report.
#include "engine/output/report.h"

#include "engine/output/output_errors.h"
#include "platform/storage/atomic_file.h"
#include "platform/text/codepage.h"
#include "platform/text/text_writer.h"

#include <string_view>

namespace cvk {
namespace {

using text::TextWriter;

const std::u16string kRule(79, u'*');
constexpr std::u16string_view kBanner = u"            H A L V E X (R)   C O R V A N E";
constexpr std::u16string_view kTitle = u"                         System Information Report";
constexpr std::u16string_view kDateIndent = u"                         ";

constexpr std::size_t kSmbiosNameColumn = 29;
constexpr std::size_t kCmosNameColumn = 27;
constexpr std::size_t kCmosChoiceColumn = 20;
constexpr std::size_t kThermNameColumn = 27;
constexpr std::size_t kModuleNameColumn = 47;
constexpr std::size_t kLongModuleNameColumn = 65;

// Blanks appended until the text is `width` characters wide; a longer text stays whole.
std::u16string Fill(std::u16string_view text, std::size_t width) {
    std::u16string filled(text);
    if (filled.size() < width)
        filled.append(width - filled.size(), u' ');
    return filled;
}

// As Fill, but a name that reaches the column's width still gets one blank, so that it never
// runs into the column beside it.
std::u16string FillSeparated(std::u16string_view text, std::size_t width) {
    return text.size() >= width ? std::u16string(text) + u' ' : Fill(text, width);
}

// A module name of 48 to 64 characters takes the wider column.
std::u16string FillModuleName(std::u16string_view name) {
    const bool wide = name.size() >= kModuleNameColumn + 1 && name.size() < kLongModuleNameColumn;
    return Fill(name, wide ? kLongModuleNameColumn : kModuleNameColumn);
}

bool IsTrue(VARIANT_BOOL value) {
    return value != VARIANT_FALSE;
}

// Walks a list the engine's way: GetFirst, then GetNext until no element comes back.
template <class Node, class List, class Visit> HRESULT ForEach(List* list, Visit&& visit) {
    ComPtr<Node> node;
    CVK_RETURN_IF_FAILED(list->GetFirst(node.put()));
    while (node) {
        CVK_RETURN_IF_FAILED(visit(node.get()));
        CVK_RETURN_IF_FAILED(list->GetNext(node.put()));
    }
    return S_OK;
}

// A string property through its getter.
template <class Object>
HRESULT TextOf(Object* object, HRESULT (Object::*getter)(BSTR*), std::u16string* text) {
    Bstr value;
    CVK_RETURN_IF_FAILED((object->*getter)(value.put()));
    *text = value.view();
    return S_OK;
}

template <class Object>
HRESULT FlagOf(Object* object, HRESULT (Object::*getter)(VARIANT_BOOL*), bool* flag) {
    VARIANT_BOOL value = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED((object->*getter)(&value));
    *flag = IsTrue(value);
    return S_OK;
}

std::u16string TwoDigits(int value) {
    return {static_cast<char16_t>(u'0' + value / 10 % 10),
            static_cast<char16_t>(u'0' + value % 10)};
}

class ReportWriter {
public:
    explicit ReportWriter(const ReportSources& sources) : in_(sources) {}

    HRESULT Write(LONG mask, const std::tm& time) {
        WriteHeader(time);
        WriteMySystem();
        if (mask & SUBSYS_SMBIOS)
            CVK_RETURN_IF_FAILED(WriteSmbios());
        if (mask & SUBSYS_CMOS)
            CVK_RETURN_IF_FAILED(WriteCmos());
        if (mask & SUBSYS_ENVCTL)
            CVK_RETURN_IF_FAILED(WriteTherm());
        if (mask & SUBSYS_FLEX)
            CVK_RETURN_IF_FAILED(WriteModules());
        WriteEnd();
        return S_OK;
    }

    const std::string& Bytes() const { return out_.Bytes(); }

private:
    void WriteSectionHeader(std::u16string_view title) {
        out_.WriteLine(kRule);
        out_.WriteLine(title);
        out_.WriteLine(kRule);
        out_.WriteLine();
    }

    void WriteHeader(const std::tm& time) {
        out_.WriteLine(kBanner);
        out_.WriteLine();
        out_.WriteLine(kTitle);
        out_.WriteLine(std::u16string(kDateIndent) + ReportTimeText(time));
        out_.WriteLine();
    }

    // Paths and names are written whole, however long.
    void WriteMySystem() {
        WriteSectionHeader(u"My System");
        out_.WriteLine(u"BIOS File Location\t " + in_.mapFile.str());
        out_.WriteLine(u"BIOS ID\t\t\t " + in_.biosId.str());
        out_.WriteLine(u"BIOS Date\t\t " + in_.buildDate.str());
        out_.WriteLine();
    }

    HRESULT WriteSmbios() {
        if (!in_.smbios)
            return E_FAIL;
        WriteSectionHeader(u"SMBIOS");
        CVK_RETURN_IF_FAILED(ForEach<ISmbiosNode>(in_.smbios.get(), [&](ISmbiosNode* node) {
            std::u16string name, value;
            CVK_RETURN_IF_FAILED(TextOf(node, &ISmbiosNode::get_DisplayName, &name));
            CVK_RETURN_IF_FAILED(TextOf(node, &ISmbiosNode::get_Value, &value));
            out_.WriteLine(FillSeparated(name, kSmbiosNameColumn) + value);
            return S_OK;
        }));
        out_.WriteLine();
        return S_OK;
    }

    HRESULT WriteCmos() {
        if (!in_.cmos)
            return E_FAIL;
        ComPtr<IGroupNode> root;
        CVK_RETURN_IF_FAILED(in_.cmos->get_DataTree(root.put()));
        if (!root)
            return E_FAIL;
        CVK_RETURN_IF_FAILED(TextOf(root.get(), &IGroupNode::get_Name, &cmosRootName_));
        WriteSectionHeader(cmosRootName_);
        out_.WriteLine(u"\t\t\t\t\t\tLock/Hide\tAdvanced");
        out_.WriteLine();
        return WriteCmosGroup(root.get());
    }

    HRESULT WriteCmosGroup(IGroupNode* group) {
        std::u16string name;
        bool hasSettings = false, hasChildren = false;
        CVK_RETURN_IF_FAILED(TextOf(group, &IGroupNode::get_Name, &name));
        CVK_RETURN_IF_FAILED(FlagOf(group, &IGroupNode::get_HasSettings, &hasSettings));
        CVK_RETURN_IF_FAILED(FlagOf(group, &IGroupNode::get_HasChildren, &hasChildren));
        if (name != cmosRootName_)
            out_.WriteLine(name);
        if (hasSettings) {
            ComPtr<ISettingList> settings;
            CVK_RETURN_IF_FAILED(group->get_SettingList(settings.put()));
            if (settings)
                CVK_RETURN_IF_FAILED(
                    ForEach<ISettingNode>(settings.get(), [&](ISettingNode* setting) {
                        return WriteCmosSetting(setting);
                    }));
            out_.WriteLine();
        }
        if (!hasChildren)
            return S_OK;
        ComPtr<IGroupList> children;
        CVK_RETURN_IF_FAILED(group->get_ChildList(children.put()));
        if (!children)
            return S_OK;
        bool spaced = false;
        CVK_RETURN_IF_FAILED(FirstChildOpensWithChoices(children.get(), &spaced));
        if (spaced)
            out_.WriteLine();
        return ForEach<IGroupNode>(children.get(),
                                   [&](IGroupNode* child) { return WriteCmosGroup(child); });
    }

    // Whether the first child group's first setting has choices.
    static HRESULT FirstChildOpensWithChoices(IGroupList* children, bool* result) {
        *result = false;
        ComPtr<IGroupNode> first;
        CVK_RETURN_IF_FAILED(children->GetFirst(first.put()));
        bool hasSettings = false;
        if (!first)
            return S_OK;
        CVK_RETURN_IF_FAILED(FlagOf(first.get(), &IGroupNode::get_HasSettings, &hasSettings));
        if (!hasSettings)
            return S_OK;
        ComPtr<ISettingList> settings;
        ComPtr<ISettingNode> setting;
        CVK_RETURN_IF_FAILED(first->get_SettingList(settings.put()));
        if (settings)
            CVK_RETURN_IF_FAILED(settings->GetFirst(setting.put()));
        if (!setting)
            return S_OK;
        return FlagOf(setting.get(), &ISettingNode::get_HasChoices, result);
    }

    HRESULT WriteCmosSetting(ISettingNode* setting) {
        std::u16string name, choiceName;
        bool hidden = false, locked = false, advanced = false;
        CVK_RETURN_IF_FAILED(TextOf(setting, &ISettingNode::get_Name, &name));
        CVK_RETURN_IF_FAILED(FlagOf(setting, &ISettingNode::get_Hidden, &hidden));
        CVK_RETURN_IF_FAILED(FlagOf(setting, &ISettingNode::get_Locked, &locked));
        CVK_RETURN_IF_FAILED(FlagOf(setting, &ISettingNode::get_Advanced, &advanced));
        // A BIOS default that is none of the answers leaves the setting without a current
        // choice, which the getter reports as a failure; the line then shows no choice.
        ComPtr<IChoiceNode> current;
        if (FAILED(setting->get_CurrentChoice(current.put())))
            current = nullptr;
        if (current)
            CVK_RETURN_IF_FAILED(TextOf(current.get(), &IChoiceNode::get_Name, &choiceName));
        // The two marks share one column: with a current choice hiding wins, without one
        // locking does.
        std::u16string_view mark;
        if (current)
            mark = hidden ? u"Hide" : locked ? u"Lock" : u"";
        else
            mark = locked ? u"Lock" : hidden ? u"Hide" : u"";
        out_.WriteLine(u"  " + FillSeparated(name, kCmosNameColumn) +
                       Fill(choiceName, kCmosChoiceColumn) + std::u16string(mark) + u"\t\t" +
                       (advanced ? u"Adv" : u""));
        return S_OK;
    }

    HRESULT WriteTherm() {
        if (!in_.therm)
            return E_FAIL;
        ComPtr<IThermGroup> root;
        CVK_RETURN_IF_FAILED(in_.therm->get_DataTree(root.put()));
        if (!root)
            return E_FAIL;
        CVK_RETURN_IF_FAILED(TextOf(root.get(), &IThermGroup::get_Name, &thermRootName_));
        WriteSectionHeader(thermRootName_);
        return WriteThermGroup(root.get());
    }

    HRESULT WriteThermGroup(IThermGroup* group) {
        std::u16string name;
        bool hasSettings = false, hasChildren = false;
        CVK_RETURN_IF_FAILED(TextOf(group, &IThermGroup::get_Name, &name));
        CVK_RETURN_IF_FAILED(FlagOf(group, &IThermGroup::get_HasSettings, &hasSettings));
        CVK_RETURN_IF_FAILED(FlagOf(group, &IThermGroup::get_HasChildren, &hasChildren));
        if (name != thermRootName_)
            out_.WriteLine(name);
        if (hasSettings) {
            ComPtr<IThermSettingList> settings;
            CVK_RETURN_IF_FAILED(group->get_SettingList(settings.put()));
            if (settings)
                CVK_RETURN_IF_FAILED(
                    ForEach<IThermSetting>(settings.get(), [&](IThermSetting* setting) {
                        return WriteThermSetting(setting);
                    }));
            out_.WriteLine();
        }
        if (!hasChildren)
            return S_OK;
        ComPtr<IThermGroupList> children;
        CVK_RETURN_IF_FAILED(group->get_ChildList(children.put()));
        if (!children)
            return S_OK;
        return ForEach<IThermGroup>(children.get(),
                                    [&](IThermGroup* child) { return WriteThermGroup(child); });
    }

    HRESULT WriteThermSetting(IThermSetting* setting) {
        std::u16string name, value;
        CVK_RETURN_IF_FAILED(TextOf(setting, &IThermSetting::get_Name, &name));
        Variant raw;
        CVK_RETURN_IF_FAILED(setting->get_Value(raw.put()));
        CVK_RETURN_IF_FAILED(raw.ToText(&value));
        out_.WriteLine(Fill(name, kThermNameColumn) + u"\t\t" + value);
        return S_OK;
    }

    HRESULT WriteModules() {
        if (!in_.flex)
            return E_FAIL;
        WriteSectionHeader(u"Flex Modules");
        out_.WriteLine(u"\t\t\t\t\t      Included\t\tSize in bytes");
        out_.WriteLine();
        ComPtr<IFlexModuleList> modules;
        CVK_RETURN_IF_FAILED(in_.flex->get_OptionalModuleList(modules.put()));
        if (modules)
            CVK_RETURN_IF_FAILED(ForEach<IFlexModule>(
                modules.get(), [&](IFlexModule* module) { return WriteModule(module); }));
        out_.WriteLine();
        return S_OK;
    }

    HRESULT WriteModule(IFlexModule* module) {
        std::u16string name;
        bool included = false;
        LONG size = 0;
        CVK_RETURN_IF_FAILED(TextOf(module, &IFlexModule::get_ShortDescription, &name));
        CVK_RETURN_IF_FAILED(FlagOf(module, &IFlexModule::get_InUpdate, &included));
        CVK_RETURN_IF_FAILED(module->get_Size(&size));
        out_.WriteLine(FillModuleName(name) + (included ? u"Yes" : u"No") + u"\t\t" +
                       text::Utf8ToUtf16(std::to_string(size)));
        return S_OK;
    }

    void WriteEnd() {
        out_.WriteLine();
        out_.WriteLine(kRule);
        out_.WriteLine(u"\t\t\t\tEnd of Report");
        out_.WriteLine(kRule);
        out_.WriteLine();
        out_.WriteLine(u"Copyright (C) 2001-2003 Halvex Corporation.  All rights reserved.");
        out_.WriteLine(u"Halvex and Corvane are trademarks of Halvex Corporation.");
        out_.WriteLine(u"Other names and brands may be claimed as the property of others.");
    }

    const ReportSources& in_;
    TextWriter out_;
    std::u16string cmosRootName_;
    std::u16string thermRootName_;
};

} // namespace

std::tm LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return local;
}

std::u16string ReportTimeText(const std::tm& time) {
    static constexpr std::u16string_view kDays[] = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                    u"Thu", u"Fri", u"Sat"};
    static constexpr std::u16string_view kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr",
                                                      u"May", u"Jun", u"Jul", u"Aug",
                                                      u"Sep", u"Oct", u"Nov", u"Dec"};
    const int hour24 = time.tm_hour;
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    // The standard date text's layout: the day of the month is right-aligned in two places.
    std::u16string text;
    text += kDays[static_cast<unsigned>(time.tm_wday) % 7];
    text += u' ';
    text += kMonths[static_cast<unsigned>(time.tm_mon) % 12];
    text += time.tm_mday < 10 ? u"  " : u" ";
    text += text::Utf8ToUtf16(std::to_string(time.tm_mday));
    text += u' ';
    text += TwoDigits(hour12) + u':' + TwoDigits(time.tm_min) + u':' + TwoDigits(time.tm_sec);
    text += hour24 >= 12 ? u" PM" : u" AM";
    return text;
}

HRESULT BuildReportText(const ReportSources& sources, LONG mask, const std::tm& time,
                        std::string* bytes) {
    if (!bytes)
        return E_POINTER;
    ReportWriter writer(sources);
    CVK_RETURN_IF_FAILED(writer.Write(mask, time));
    *bytes = writer.Bytes();
    return S_OK;
}

HRESULT Report::GenerateReport(BSTR fileName, LONG subsystemMask) {
    return Boundary(kReportErrorSource, [&]() -> HRESULT {
        const std::string path = text::Utf16ToUtf8(Bstr(fileName).view());
        if (path.empty())
            return E_FAIL;
        if (const HRESULT target = storage::CheckReplaceable(path); FAILED(target))
            return ReportWriteFailure(kReportErrorSource, path, target);
        // The report is built whole first: a failing subsystem call leaves no partial file, and
        // an earlier report stays as it was.
        std::string bytes;
        CVK_RETURN_IF_FAILED(BuildReportText(sources_, subsystemMask, clock_(), &bytes));
        if (const HRESULT written = storage::WriteFileAtomically(path, bytes); FAILED(written))
            return ReportWriteFailure(kReportErrorSource, path, written);
        return S_OK;
    });
}

} // namespace cvk
