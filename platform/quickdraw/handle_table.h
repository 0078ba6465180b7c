// QuickDraw's ports and regions are reached through checked handles.
#pragma once

#include "platform/handle_table.h"

namespace tbx::qd {

using ::tbx::HandleTable;

} // namespace tbx::qd
