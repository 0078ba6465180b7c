// Probes of the system: a working network, and the system's version facts.
#pragma once

#include <cstdint>

class CBK_Internet {
public:
    // Whether a TCP connection to the first probe host, else to the second, opens within
    // the probe's time-out. A host setting may end in ":port" (80 otherwise).
    static bool IsConnected();
};

// The 'sysv' fact (0 when absent), for example 0x1049 for 10.4.9.
int32_t BK_MacGetOsVersion();
bool BK_MacIsOSX();
bool BK_MacIsLessThanOSX();
bool BK_MacHasCarbonLib();
int32_t BK_MacGetCarbonLibVersion();
int32_t BK_MacGetColorPickerVersion();
// No display here reports hardware-accelerated compositing: false.
bool BK_MacHasQuartzExtreme();
