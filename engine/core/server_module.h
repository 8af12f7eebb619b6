// The engine library's own count of live objects and locks, which decides when it may unload.
#pragma once

#include "platform/com/object.h"

namespace cvk {

struct ServerModule : Module<ServerModule> {};

// The base of every engine object.
template <class... Interfaces> using EngineObject = Object<ServerModule, Interfaces...>;

} // namespace cvk
