// Walking the engine's lists: cvk uses the client library's walker.
#pragma once

#include "client/engine_lists.h"

namespace cvktool {
using cvkclient::CollectItems;
} // namespace cvktool
