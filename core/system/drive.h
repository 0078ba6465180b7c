// The mounted volumes: their sizes and names, read from the volume queries.
#pragma once

#include <cstdint>
#include <vector>

// The sizes of a volume by its reference number; either output may be null. False when
// there is no such volume.
bool BK_GetDiskSpace(int16_t volume, unsigned long long* total, unsigned long long* free);

// One mounted volume, held by its index in the platform's list (from 1; 0 = none).
class CBK_Drive {
public:
    static int32_t GetTotalVolumes();
    // Every volume index, in order.
    static bool GetVolumes(std::vector<int32_t>& indexes);

    bool Init(int32_t index);
    // The volume of that name; false (nothing held) when none has it.
    bool Init(const wchar_t* name);
    bool InitWithVolRefNum(int16_t volume);
    int32_t GetIndex() const { return _index; }

    // Cut to size - 1 characters and terminated.
    bool GetName(wchar_t* buffer, int32_t size) const;
    // Either output may be null.
    bool GetSpaceBytes(uint64_t* total, uint64_t* free) const;
    bool GetSpaceKBytes(uint64_t* total, uint64_t* free) const;
    bool GetSpaceMBytes(double* total, double* free) const;
    bool GetSpaceGBytes(double* total, double* free) const;

private:
    int32_t _index = 0;
};
