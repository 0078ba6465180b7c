#include "core/files/hfs_names.h"

#include <algorithm>
#include <string>

#include "core/paths/path.h"
#include "platform/files/fs_catalog.h"

using namespace tbx;

OSErr UnicodeNameGetHFSName(UniCharCount nameLength, const UniChar* name, TextEncoding encoding,
                            Boolean isVolumeName, unsigned char* hfsName) {
    return OSErr(
        BK_UnicodeNameGetHFSName(uint32_t(nameLength), name, encoding, isVolumeName, hfsName));
}

OSErr HFSNameGetUnicodeName(const unsigned char* hfsName, TextEncoding encoding,
                            HFSUniStr255* unicodeName) {
    if (!hfsName || !unicodeName)
        return paramErr;
    if (hfsName[0] > 31)
        return bdNamErr;
    if (encoding == 0xFFFF)
        encoding = kCFStringEncodingMacRoman;
    std::u16string units;
    if (!text::Decode(hfsName + 1, hfsName[0], encoding, false, units) || units.size() > 255)
        return bdNamErr;
    unicodeName->length = UInt16(units.size());
    std::copy(units.begin(), units.end(), unicodeName->unicode);
    return noErr;
}

OSErr GenerateUniqueHFSUniStr(UInt32* startSeed, const FSRef* folder1, const FSRef* folder2,
                              HFSUniStr255* uniqueName) {
    if (!startSeed || !folder1 || !folder2 || !uniqueName)
        return paramErr;
    static const char kDigits[] = "0123456789ABCDEF";
    for (UInt32 tries = 0; tries < 65536; ++tries) {
        const UInt32 seed = (*startSeed)++;
        UniChar name[8];
        for (int i = 0; i < 8; ++i)
            name[i] = UniChar(kDigits[(seed >> (28 - 4 * i)) & 15]);
        FSRef found;
        OSErr first = FSMakeFSRefUnicode(folder1, 8, name, 0, &found);
        OSErr second = first == fnfErr ? FSMakeFSRefUnicode(folder2, 8, name, 0, &found) : first;
        if (first == fnfErr && second == fnfErr) {
            uniqueName->length = 8;
            std::copy(name, name + 8, uniqueName->unicode);
            return noErr;
        }
        if (first != noErr && first != fnfErr)
            return first;
        if (second != noErr && second != fnfErr)
            return second;
    }
    return dupFNErr;
}
