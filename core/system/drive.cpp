#include "core/system/drive.h"

#include <algorithm>
#include <string>
#include <type_traits>

#include "core/strings/cf_string.h"
#include "platform/files/fs_volumes.h"

namespace {

bool VolumeAt(int32_t index, tbx::FSVolumeRefNum* volume, tbx::FSVolumeInfo* info,
              tbx::HFSUniStr255* name) {
    return index > 0 && tbx::FSGetVolumeInfo(tbx::kFSInvalidVolumeRefNum, tbx::ItemCount(index),
                                             volume, info, name, nullptr) == tbx::noErr;
}

std::wstring NameOf(const tbx::HFSUniStr255& name) {
    CBK_CFString text;
    return text.Set(name) ? text.GetUnicodeString() : std::wstring();
}

} // namespace

bool BK_GetDiskSpace(int16_t volume, unsigned long long* total, unsigned long long* free) {
    tbx::FSVolumeInfo info;
    if (volume == tbx::kFSInvalidVolumeRefNum ||
        tbx::FSGetVolumeInfo(volume, 0, nullptr, &info, nullptr, nullptr) != tbx::noErr)
        return false;
    if (total)
        *total = info.totalBytes;
    if (free)
        *free = info.freeBytes;
    return true;
}

int32_t CBK_Drive::GetTotalVolumes() {
    int32_t count = 0;
    while (VolumeAt(count + 1, nullptr, nullptr, nullptr))
        ++count;
    return count;
}

bool CBK_Drive::GetVolumes(std::vector<int32_t>& indexes) {
    indexes.clear();
    for (int32_t index = 1; VolumeAt(index, nullptr, nullptr, nullptr); ++index)
        indexes.push_back(index);
    return !indexes.empty();
}

bool CBK_Drive::Init(int32_t index) {
    _index = VolumeAt(index, nullptr, nullptr, nullptr) ? index : 0;
    return _index != 0;
}

bool CBK_Drive::Init(const wchar_t* name) {
    _index = 0;
    if (!name)
        return false;
    tbx::HFSUniStr255 volumeName;
    for (int32_t index = 1; VolumeAt(index, nullptr, nullptr, &volumeName); ++index) {
        if (NameOf(volumeName) == name) {
            _index = index;
            return true;
        }
    }
    return false;
}

bool CBK_Drive::InitWithVolRefNum(int16_t volume) {
    _index = 0;
    tbx::FSVolumeRefNum found = 0;
    for (int32_t index = 1; VolumeAt(index, &found, nullptr, nullptr); ++index) {
        if (found == volume && volume != tbx::kFSInvalidVolumeRefNum) {
            _index = index;
            return true;
        }
    }
    return false;
}

bool CBK_Drive::GetName(wchar_t* buffer, int32_t size) const {
    tbx::HFSUniStr255 name;
    if (!buffer || size < 1 || !VolumeAt(_index, nullptr, nullptr, &name))
        return false;
    const std::wstring text = NameOf(name);
    const std::size_t count = std::min<std::size_t>(text.size(), std::size_t(size) - 1);
    text.copy(buffer, count);
    buffer[count] = L'\0';
    return true;
}

bool CBK_Drive::GetSpaceBytes(uint64_t* total, uint64_t* free) const {
    tbx::FSVolumeInfo info;
    if (!VolumeAt(_index, nullptr, &info, nullptr))
        return false;
    if (total)
        *total = info.totalBytes;
    if (free)
        *free = info.freeBytes;
    return true;
}

namespace {

// The byte counts in a larger unit: whole units for integers, exact fractions for doubles.
template <typename T>
bool SpaceIn(const CBK_Drive& drive, uint64_t unit, T* total, T* free) {
    uint64_t bytes[2];
    if (!drive.GetSpaceBytes(&bytes[0], &bytes[1]))
        return false;
    const auto scale = [unit](uint64_t value) {
        if constexpr (std::is_integral_v<T>)
            return T(value / unit);
        else
            return T(double(value) / double(unit));
    };
    if (total)
        *total = scale(bytes[0]);
    if (free)
        *free = scale(bytes[1]);
    return true;
}

} // namespace

bool CBK_Drive::GetSpaceKBytes(uint64_t* total, uint64_t* free) const {
    return SpaceIn(*this, 1024, total, free);
}

bool CBK_Drive::GetSpaceMBytes(double* total, double* free) const {
    return SpaceIn(*this, 1024 * 1024, total, free);
}

bool CBK_Drive::GetSpaceGBytes(double* total, double* free) const {
    return SpaceIn(*this, 1024 * 1024 * 1024, total, free);
}
