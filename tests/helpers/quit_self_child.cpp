// Started by the process tests: asks every process that runs this program to quit. No other
// process runs it, and it must never signal itself: exits 0 when QuitFile found nothing to
// quit, 1 when it reported success.
#include <unistd.h>

#include "core/paths/path.h"

int main() {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 2;
    self[length] = '\0';
    tbx::ProcessSerialNumber every;
    return CBK_Path(BK_FileSystemNameToWide(self).c_str()).QuitFile(every) ? 1 : 0;
}
