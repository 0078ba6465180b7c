// The tag factory: a new, blank object of the model's class for a tag code, ready to read
// itself; codes without a class give an opaque tag that keeps its bytes.
#pragma once

#include <cstdint>

namespace ravuz {

class CBK_SwfTag;

CBK_SwfTag* SwfCreateTag(uint16_t code, uint32_t length);
// Whether the model has a class of its own for the code (else SwfCreateTag gives an opaque
// tag).
bool SwfHasTagClass(uint16_t code);
// The bytes of the object SwfCreateTag makes for the code (without what it comes to hold).
uint32_t SwfTagObjectSize(uint16_t code);

} // namespace ravuz
