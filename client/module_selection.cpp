// Reading the module selection's faults through the engine's public interfaces.
#include "client/module_selection.h"

#include "client/engine_lists.h"

#include <algorithm>
#include <cstdint>

namespace cvkclient {
namespace {

using cvk::ComPtr;

// Handles are unsigned in the image; the interface carries them as LONG.
std::string HandleText(LONG handle) {
    return std::to_string(static_cast<std::uint32_t>(handle));
}

HRESULT HandlesInUpdate(const std::vector<ComPtr<IFlexModule>>& modules, std::vector<LONG>* in) {
    for (const ComPtr<IFlexModule>& module : modules) {
        VARIANT_BOOL inUpdate = VARIANT_FALSE;
        LONG handle = 0;
        CVK_RETURN_IF_FAILED(module->get_InUpdate(&inUpdate));
        CVK_RETURN_IF_FAILED(module->get_Handle(&handle));
        if (inUpdate)
            in->push_back(handle);
    }
    return S_OK;
}

HRESULT ExplainMissingDependencies(IFlex* flex, std::vector<std::string>* problems) {
    ComPtr<IFlexModuleList> list;
    CVK_RETURN_IF_FAILED(flex->get_OptionalModuleList(list.put()));
    std::vector<ComPtr<IFlexModule>> modules;
    CVK_RETURN_IF_FAILED(CollectItems(list.get(), &modules));
    std::vector<LONG> in;
    CVK_RETURN_IF_FAILED(HandlesInUpdate(modules, &in));
    const auto isIn = [&](LONG handle) {
        return std::find(in.begin(), in.end(), handle) != in.end();
    };
    for (const ComPtr<IFlexModule>& module : modules) {
        LONG handle = 0;
        std::vector<LONG> needs;
        CVK_RETURN_IF_FAILED(module->get_Handle(&handle));
        if (!isIn(handle))
            continue;
        CVK_RETURN_IF_FAILED(ReadDependencies(module.get(), &needs));
        for (LONG needed : needs)
            if (!isIn(needed))
                problems->push_back("module " + HandleText(handle) + " needs module " +
                                    HandleText(needed) + ", which is out of the update; put " +
                                    HandleText(needed) + " in or take " + HandleText(handle) +
                                    " out");
    }
    return S_OK;
}

} // namespace

HRESULT ReadDependencies(IFlexModule* module, std::vector<LONG>* handles) {
    handles->clear();
    VARIANT_BOOL has = VARIANT_FALSE;
    CVK_RETURN_IF_FAILED(module->get_HasDepModules(&has));
    if (!has)
        return S_OK;
    ComPtr<IFlexDependencyList> list;
    CVK_RETURN_IF_FAILED(module->get_DepModuleList(list.put()));
    LONG count = 0;
    CVK_RETURN_IF_FAILED(list->get_Count(&count));
    LONG handle = 0;
    CVK_RETURN_IF_FAILED(list->GetFirst(&handle));
    for (LONG i = 0; i < count; ++i) {
        handles->push_back(handle);
        if (i + 1 < count)
            CVK_RETURN_IF_FAILED(list->GetNext(&handle));
    }
    return S_OK;
}

HRESULT ExplainInvalidSelection(IFlex* flex, std::vector<std::string>* problems) {
    problems->clear();
    VARIANT_BOOL valid = VARIANT_TRUE;
    CVK_RETURN_IF_FAILED(flex->get_ValidUpdate(&valid));
    if (valid)
        return S_OK;
    LONG space = 0, selected = 0;
    CVK_RETURN_IF_FAILED(flex->get_MaxOptionalModuleSpace(&space));
    CVK_RETURN_IF_FAILED(flex->get_NumOptionalModuleBytesSelected(&selected));
    if (selected > space)
        problems->push_back("the modules in the update take " +
                            std::to_string(static_cast<long long>(selected) - space) +
                            " bytes more than the optional space holds; take modules out or "
                            "use a smaller logo");
    return ExplainMissingDependencies(flex, problems);
}

} // namespace cvkclient
