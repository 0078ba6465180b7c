// Started by the stream tests under strace: writes ten megabytes of text lines through the
// output stream to the file named by its argument. Exits 0 when the stream reports success.
#include <cstdio>
#include <string>

#include "core/paths/path.h"
#include "core/streams/of_stream.h"
#include "core/strings/locale.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stream_write_child FILE\n");
        return 2;
    }
    CBK_OFStream stream(CBK_Locale::GetCodePage());
    if (!stream.Open(BK_FileSystemNameToWide(argv[1]).c_str(), std::ios_base::out,
                     CBK_Locale::GetCodePage()))
        return 1;
    const std::string line(1024, 'x');
    for (int i = 0; i < 10 * 1024; ++i)
        stream.write(line.data(), 1023), stream.put('\n');
    stream.close();
    return stream.fail() ? 1 : 0;
}
