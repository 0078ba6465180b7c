#include "platform/files/file_url.h"

#include <cctype>
#include <cstring>

namespace tbx {

namespace {

void Encode(std::string& url, const std::string& bytes, const char* keep) {
    static const char* kHex = "0123456789ABCDEF";
    for (unsigned char c : bytes) {
        if (std::isalnum(c) || std::strchr(keep, c)) {
            url.push_back(static_cast<char>(c));
        } else {
            url.push_back('%');
            url.push_back(kHex[c >> 4]);
            url.push_back(kHex[c & 15]);
        }
    }
}

} // namespace

std::string FileUrl(const std::string& path, const std::string& fragment) {
    std::string url = "file://";
    Encode(url, path, "/-._~");
    if (!fragment.empty()) {
        url.push_back('#');
        Encode(url, fragment, "-._~");
    }
    return url;
}

} // namespace tbx
