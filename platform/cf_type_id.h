// Core Foundation type identifiers: which kind of object a reference holds.
#pragma once

#include "platform/cf_base.h"

namespace tbx {

using CFTypeID = unsigned long;

// 0 for a null reference.
CFTypeID CFGetTypeID(CFTypeRef object);
CFTypeID CFStringGetTypeID();

} // namespace tbx
