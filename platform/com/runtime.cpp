// Placeholder until the runtime lands.
#include "platform/com/unknown.h"
