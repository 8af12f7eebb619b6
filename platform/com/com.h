// The whole automation stand-in in one include.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"
#include "platform/com/comptr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/guid.h"
#include "platform/com/object.h"
#include "platform/com/persist.h"
#include "platform/com/registry.h"
#include "platform/com/runtime.h"
#include "platform/com/stream.h"
#include "platform/com/types.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"
