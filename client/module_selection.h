// Why a module selection is not a valid update, in words that say what to take out: cvk and
// the GUI's module list and logo editor warn with these sentences after an edit.
#pragma once

#include "engine/include/cvkserver.h"

#include <string>
#include <vector>

namespace cvkclient {

// The handles a module needs, in the engine's order.
HRESULT ReadDependencies(IFlexModule* module, std::vector<LONG>* handles);

// Empty when the selection is a valid update. Otherwise one sentence per fault: the modules
// take more than the optional space (by how many bytes), or a module in the update needs one
// that is out (both named).
HRESULT ExplainInvalidSelection(IFlex* flex, std::vector<std::string>* problems);

} // namespace cvkclient
