// The engine library's entry points: class objects, unloading and self-registration.
#include "engine/cmos/cmos.h"
#include "engine/core/server.h"
#include "engine/core/workspace.h"
#include "engine/modules/flex.h"
#include "engine/output/report.h"
#include "engine/smbios/smbios_list.h"
#include "engine/thermal/co_therm.h"
#include "platform/com/classfactory.h"
#include "platform/com/registry.h"
#include "platform/com/runtime.h"

#include <string>
#include <vector>

#define CVK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace cvk;

// One row of the object table: what registering a class writes.
struct ClassEntry {
    CLSID clsid;
    const char* name;
    const char* threadingModel;
    bool automation; // "Programmable" and the type library
};

const std::vector<ClassEntry>& ObjectTable() {
    static const std::vector<ClassEntry> table = {
        {CLSID_Server, "Server", "Apartment", true},
        {CLSID_Workspace, "Workspace", "Apartment", true},
        {CLSID_Cmos, "Cmos", "Apartment", true},
        {CLSID_GroupNode, "GroupNode", "Apartment", true},
        {CLSID_SettingNode, "SettingNode", "Apartment", true},
        {CLSID_ChoiceNode, "ChoiceNode", "Apartment", true},
        {CLSID_GroupList, "GroupList", "Apartment", true},
        {CLSID_SettingList, "SettingList", "Apartment", true},
        {CLSID_ChoiceList, "ChoiceList", "Apartment", true},
        {CLSID_SmbiosList, "SmbiosList", "Apartment", true},
        {CLSID_SmbiosNode, "SmbiosNode", "Apartment", true},
        {CLSID_CoTherm, "CoTherm", "Apartment", true},
        {CLSID_CoThermGroup, "CoThermGroup", "Apartment", true},
        {CLSID_CoThermSetting, "CoThermSetting", "Apartment", true},
        {CLSID_CoThermChoice, "CoThermChoice", "Apartment", true},
        {CLSID_CoThermGroupList, "CoThermGroupList", "Apartment", true},
        {CLSID_CoThermSettingList, "CoThermSettingList", "Apartment", true},
        {CLSID_CoThermChoiceList, "CoThermChoiceList", "Apartment", true},
        {CLSID_Flex, "Flex", "Apartment", true},
        {CLSID_FlexModuleList, "FlexModuleList", "Apartment", true},
        {CLSID_FlexModule, "FlexModule", "Apartment", true},
        {CLSID_FlexDependencyList, "FlexDependencyList", "Apartment", true},
        {CLSID_FlexLogoModule, "FlexLogoModule", "Apartment", true},
        {CLSID_Report, "Report", "both", false},
    };
    return table;
}

registry::ClassRegistration RegistrationOf(const ClassEntry& entry, const std::string& library) {
    registry::ClassRegistration reg;
    reg.clsid = entry.clsid;
    const std::string name = entry.name;
    const bool server = name == "Server";
    reg.description = name + " Class";
    reg.libraryPath = library;
    reg.threadingModel = entry.threadingModel;
    reg.versionIndependentProgId = server ? "cvtool.Server" : "CvkServer." + name;
    reg.progId = reg.versionIndependentProgId + ".1";
    reg.programmable = entry.automation;
    if (entry.automation)
        reg.typeLib = LIBID_CVKSERVERLib;
    return reg;
}

registry::TypeLibRegistration TypeLibOf(const std::string& library) {
    registry::TypeLibRegistration reg;
    reg.libid = LIBID_CVKSERVERLib;
    reg.name = "CvkServer 1.0 Type Library";
    reg.libraryPath = library;
    return reg;
}

std::string ThisLibrary() {
    return ModulePath(reinterpret_cast<const void*>(&ObjectTable));
}

} // namespace

CVK_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return GetClassObject<ServerModule, Server, Workspace, Cmos, GroupNode, SettingNode, ChoiceNode,
                          GroupList, SettingList, ChoiceList, SmbiosList, SmbiosNode, CoTherm,
                          CoThermGroup, CoThermSetting, CoThermChoice, CoThermGroupList,
                          CoThermSettingList, CoThermChoiceList, Flex, FlexModuleList, FlexModule,
                          FlexDependencyList, FlexLogoModule, Report>(clsid, riid, object);
}

CVK_EXPORT HRESULT DllCanUnloadNow() {
    return ServerModule::CanUnloadNow();
}

CVK_EXPORT HRESULT DllRegisterServer() {
    const std::string library = ThisLibrary();
    if (library.empty())
        return SELFREG_E_CLASS;
    return registry::EditStore([&](registry::Store& store) -> HRESULT {
        for (const ClassEntry& entry : ObjectTable())
            CVK_RETURN_IF_FAILED(registry::RegisterClass(store, RegistrationOf(entry, library)));
        return registry::RegisterTypeLib(store, TypeLibOf(library));
    });
}

CVK_EXPORT HRESULT DllUnregisterServer() {
    const std::string library = ThisLibrary();
    return registry::EditStore([&](registry::Store& store) -> HRESULT {
        for (const ClassEntry& entry : ObjectTable())
            CVK_RETURN_IF_FAILED(registry::UnregisterClass(store, RegistrationOf(entry, library)));
        return registry::UnregisterTypeLib(store, TypeLibOf(library));
    });
}
