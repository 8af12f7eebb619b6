// The storage layer's objects share the automation object base, with a count of their own.
#pragma once

#include "platform/com/object.h"

namespace cvk::storage::detail {

struct StorageModule : Module<StorageModule> {};

template <class... Interfaces> using StorageObject = Object<StorageModule, Interfaces...>;

} // namespace cvk::storage::detail
