#include "core/streams/of_stream.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "core/paths/path.h"
#include "core/strings/locale.h"
#include "core/strings/wide_text.h"
#include "platform/cf_string.h"

CBK_OFStream::CBK_OFStream(uint32_t codePage) : _codePage(codePage) {
    // Numbers are written in the C locale whatever the process locale is.
    imbue(std::locale::classic());
}

CBK_OFStream::~CBK_OFStream() {
    if (is_open())
        close();
}

bool CBK_OFStream::Open(const wchar_t* path, std::ios_base::openmode mode, uint32_t codePage) {
    open(path, mode);
    _codePage = codePage;
    return is_open();
}

int64_t CBK_OFStream::GetPosition() {
    return static_cast<int64_t>(tellp());
}

CBK_OFStream& operator<<(CBK_OFStream& stream, const wchar_t* text) {
    std::string bytes;
    if (!BK_WideToCodePage(text, stream.GetCodePage(), bytes))
        stream.setstate(std::ios_base::failbit);
    else
        stream.write(bytes.data(), std::streamsize(bytes.size()));
    return stream;
}

bool CBK_Path::OpenAsFstream(CBK_OFStream& stream, std::ios_base::openmode mode) const {
    return stream.Open(GetFullPathString().c_str(), mode, CBK_Locale::GetCodePage());
}
