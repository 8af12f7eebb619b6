#include "platform/com/stream.h"
