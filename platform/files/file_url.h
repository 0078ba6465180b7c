// File URLs as text: what is handed to other programs and carried by file drags.
#pragma once

#include <string>

namespace tbx {

// "file://" and the POSIX path (bytes), then "#" and the fragment when one is given. Every
// byte but letters, digits and "/-._~" is percent-encoded (in the fragment "/" as well).
std::string FileUrl(const std::string& path, const std::string& fragment = {});

} // namespace tbx
