// Walking the engine's lists (GetFirst, then GetNext until the list hands out nothing).
#pragma once

#include "platform/com/comptr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/types.h"

#include <vector>

namespace cvkclient {

// Every element of an engine list, in list order. The list's cursor is left at its end; the
// elements are collected first so that callers may walk other lists while they work.
template <class Item, class List>
HRESULT CollectItems(List* list, std::vector<cvk::ComPtr<Item>>* items) {
    items->clear();
    if (!list)
        return S_OK;
    LONG count = 0;
    CVK_RETURN_IF_FAILED(list->get_Count(&count));
    cvk::ComPtr<Item> item;
    CVK_RETURN_IF_FAILED(list->GetFirst(item.put()));
    // Bounded by the count, so that a list that never ends cannot hang the program.
    while (item && static_cast<LONG>(items->size()) < count) {
        items->push_back(item);
        CVK_RETURN_IF_FAILED(list->GetNext(item.put()));
    }
    return S_OK;
}

} // namespace cvkclient
