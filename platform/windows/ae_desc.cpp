#include "platform/windows/ae_desc.h"

#include "platform/windows/world.h"

namespace tbx {

using namespace windows_detail;

namespace {

const AEData* DataOf(const AEDesc* desc) {
    return desc ? TheWorld().aeData.Get(desc->dataHandle) : nullptr;
}

} // namespace

OSErr AECreateFSRefDesc(const FSRef& ref, AEDesc* out) {
    if (!out)
        return paramErr;
    auto data = std::make_unique<AEData>();
    data->items.push_back(ref);
    out->descriptorType = typeFSRef;
    out->dataHandle = TheWorld().aeData.Add(std::move(data));
    return out->dataHandle ? noErr : memFullErr;
}

OSErr AECreateFSRefList(const std::vector<FSRef>& refs, AEDescList* out) {
    if (!out)
        return paramErr;
    auto data = std::make_unique<AEData>();
    data->items = refs;
    out->descriptorType = typeAEList;
    out->dataHandle = TheWorld().aeData.Add(std::move(data));
    return out->dataHandle ? noErr : memFullErr;
}

OSErr AEDisposeDesc(AEDesc* desc) {
    if (!desc)
        return paramErr;
    TheWorld().aeData.Remove(desc->dataHandle);
    *desc = AEDesc{};
    return noErr;
}

OSErr AECountItems(const AEDescList* list, SInt32* outCount) {
    const AEData* data = DataOf(list);
    if (!data || list->descriptorType != typeAEList || !outCount)
        return errAEWrongDataType;
    *outCount = static_cast<SInt32>(data->items.size());
    return noErr;
}

OSErr AEGetNthPtr(const AEDescList* list, SInt32 index, DescType desiredType, AEKeyword* keyword,
                  DescType* typeCode, void* dataPtr, SInt32 maximumSize, SInt32* actualSize) {
    const AEData* data = DataOf(list);
    if (!data || list->descriptorType != typeAEList)
        return errAEWrongDataType;
    if (index < 1 || static_cast<std::size_t>(index) > data->items.size())
        return errAEDescNotFound;
    if (desiredType != typeFSRef)
        return errAECoercionFail;
    if (!dataPtr || maximumSize < static_cast<SInt32>(sizeof(FSRef)))
        return paramErr;
    *static_cast<FSRef*>(dataPtr) = data->items[static_cast<std::size_t>(index - 1)];
    if (keyword)
        *keyword = FourCC("****");
    if (typeCode)
        *typeCode = typeFSRef;
    if (actualSize)
        *actualSize = sizeof(FSRef);
    return noErr;
}

OSErr AEGetDescData(const AEDesc* desc, void* dataPtr, SInt32 maximumSize) {
    const AEData* data = DataOf(desc);
    if (!data || desc->descriptorType != typeFSRef || data->items.size() != 1)
        return errAEWrongDataType;
    if (!dataPtr || maximumSize < static_cast<SInt32>(sizeof(FSRef)))
        return paramErr;
    *static_cast<FSRef*>(dataPtr) = data->items.front();
    return noErr;
}

} // namespace tbx
