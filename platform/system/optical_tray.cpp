#include "platform/system/optical_tray.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace tbx {

std::string FirstOpticalDrive(std::string_view listing) {
    constexpr std::string_view kLabel = "drive name:";
    std::istringstream lines{std::string(listing)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, kLabel.size(), kLabel) != 0)
            continue;
        std::istringstream names(line.substr(kLabel.size()));
        std::string name, last;
        while (names >> name)
            last = name;
        const bool plain =
            !last.empty() && last.size() <= 32 &&
            last.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") == std::string::npos;
        return plain ? "/dev/" + last : std::string();
    }
    return {};
}

bool MoveOpticalTray(const std::string& device, bool open) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    const bool moved = fstat(fd, &info) == 0 && S_ISBLK(info.st_mode) &&
                       ioctl(fd, open ? CDROMEJECT : CDROMCLOSETRAY, 0) == 0;
    close(fd);
    return moved;
}

bool MoveFirstOpticalTray(bool open) {
    std::ifstream file("/proc/sys/dev/cdrom/info");
    std::ostringstream listing;
    listing << file.rdbuf();
    const std::string device = FirstOpticalDrive(listing.str());
    return !device.empty() && MoveOpticalTray(device, open);
}

} // namespace tbx
