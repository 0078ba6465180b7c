// The characters XML documents can carry, and those that this system's writers put into a
// document as they are although XML cannot carry them (the readers of platform/xml take them
// back).
#pragma once

namespace tbx::xml {

// Whether XML 1.0 can carry the character.
bool IsXmlCharacter(char32_t c);

// Whether a writer puts the character into a document as it is although XML cannot carry
// it: a byte escape (as its byte), and with `controls` the control characters other than
// tab, line feed and carriage return, U+FFFE and U+FFFF.
bool IsCarriedRaw(char32_t c, bool controls);

} // namespace tbx::xml
