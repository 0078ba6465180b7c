// The nib loader over arbitrary bytes: it must refuse or accept, never crash or run away.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/windows/nib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    tbx::nib::Document document;
    std::string error;
    tbx::nib::Parse(std::string(reinterpret_cast<const char*>(data), size), document, error);
    return 0;
}
