// Loaders of code fragments, the older kind of run-time code: a fragment is a file whose data
// fork is a shared object. Nothing in the program calls them; they stand beside CBK_Dll.
#pragma once

#include "platform/fragments/code_fragments.h"

class CBK_Path;

// Loads the whole data fork of the file; true when it was loaded.
bool BK_DllLoad(const CBK_Path& path, tbx::CFragConnectionID& connection);
// Unloads it; the connection is cleared. False for a connection that is not open.
bool BK_DllUnload(tbx::CFragConnectionID& connection);
// The address of the symbol, or null. The name goes to the loader as a length-prefixed Mac
// Roman string: one that does not fit in 255 bytes, or has a character Mac Roman lacks,
// names nothing.
void* BK_DllGetProcAddressW(tbx::CFragConnectionID& connection, const wchar_t* name);
// The same for an 8-bit name in the locale encoding (Mac Roman). The symbol's own address is
// returned: this processor calls it directly, without the call stub through a transition
// vector that the older processor needed.
void* BK_DllGetProcAddressA(tbx::CFragConnectionID& connection, const char* name);
