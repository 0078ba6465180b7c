// The text of a syntax tree is UTF-8. Movies before SWF 6 hold their text in the locale's
// 8-bit encoding, which these functions give it.
#pragma once

#include "ascompiler/tree/as_node.h"

#include <string>
#include <string_view>

namespace translate {

// A character the locale's encoding lacks becomes '?'; a byte that is not part of UTF-8
// stays as it is, so that text in that encoding already passes unchanged.
std::string LocaleText(std::string_view utf8);

// Every value of the tree in the locale's encoding; nothing changes from SWF 6 on.
void EncodeTreeText(ASNode* tree, int version);

} // namespace translate
