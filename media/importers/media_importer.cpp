#include "media/importers/media_importer.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

int32_t CBK_MediaImporter::ConvertMsecToTimeValue(uint32_t msec) {
    const double value = msec / 1000.0 * GetTimeScale();
    return int32_t(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
}

uint32_t CBK_MediaImporter::ConvertTimeValueToMsec(int32_t value) {
    return _ToMsec(value, GetTimeScale());
}

uint32_t CBK_MediaImporter::_ToMsec(double value, double scale) {
    if (scale <= 0)
        return 0;
    return uint32_t(std::clamp(value / scale * 1000.0, 0.0, 4294967295.0));
}

uint8_t* CBK_MediaImporter::GetRawData(uint32_t& size) {
    std::FILE* file = m_Source.OpenAsStdFile(L"rb");
    if (!file)
        return nullptr;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> owner(file, std::fclose);
    if (std::fseek(file, 0, SEEK_END) != 0)
        return nullptr;
    const long length = std::ftell(file);
    if (length < 0 || uint64_t(length) > UINT32_MAX || std::fseek(file, 0, SEEK_SET) != 0)
        return nullptr;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[std::max<long>(length, 1)]);
    if (!data || std::fread(data.get(), 1, std::size_t(length), file) != std::size_t(length))
        return nullptr;
    size = uint32_t(length);
    return data.release();
}
