// The tray of the first optical drive, moved with the CD-ROM ioctls. The kernel lists its
// drives in /proc/sys/dev/cdrom/info, the most recently found first.
#pragma once

#include <string>
#include <string_view>

namespace tbx {

// The device of the first drive in a listing of that form ("/dev/sr0"); empty when it names
// none or a name that is not a plain device name.
std::string FirstOpticalDrive(std::string_view listing);
// Opens (ejects) or closes the tray of a block device; false for anything else, or when the
// drive refuses (in use, no tray).
bool MoveOpticalTray(const std::string& device, bool open);
// Both of the above on this machine's drives; false without one.
bool MoveFirstOpticalTray(bool open);

} // namespace tbx
