#include "swf/tags/asset_tags.h"

#include <algorithm>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {
constexpr uint32_t kSmallestAsset = 3; // u16 id and an empty name's zero byte
}

uint32_t CBK_SwfAsset::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    _id = reader->GetWord();
    reader->GetString(_name, 0, false);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfAsset::Write(CBK_SwfStream* stream) {
    const uint32_t before = stream->GetByteCount();
    stream->Add(_id);
    stream->Add(_name);
    stream->Add(uint8_t(0));
    return stream->GetByteCount() - before;
}

void CBK_SwfAsset::OffsetInfo(int32_t offset) {
    _id = OffsetU16(_id, offset);
}

void CBK_SwfAssetList::AddAsset(CBK_SwfAsset* asset, uint32_t index) {
    if (!asset)
        return;
    std::unique_ptr<CBK_SwfAsset> owned(asset);
    if (index < _assets.size())
        _assets.insert(_assets.begin() + index, std::move(owned));
    else
        _assets.push_back(std::move(owned));
}

bool CBK_SwfAssetList::RemoveAsset(uint32_t index) {
    if (index >= _assets.size())
        return false;
    _assets.erase(_assets.begin() + index);
    return true;
}

CBK_SwfAsset* CBK_SwfAssetList::GetAsset(std::size_t index) const {
    return index < _assets.size() ? _assets[index].get() : nullptr;
}

void CBK_SwfAssetList::OffsetIds(int32_t offset) {
    for (auto& asset : _assets)
        asset->OffsetInfo(offset);
}

void CBK_SwfAssetList::ReadAssets(CBK_SwfReader* reader, uint32_t end) {
    _assets.clear();
    const uint16_t count = reader->GetWord();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = reader->GetBufPos();
        // Each entry is charged before it is made: a flood of them ends where the movie's
        // budget does.
        if (at >= end || end - at < kSmallestAsset || !reader->ChargeRoomForOne(_assets) ||
            !reader->ChargeObject<CBK_SwfAsset>())
            break;
        auto asset = std::make_unique<CBK_SwfAsset>();
        asset->Read(reader);
        _assets.push_back(std::move(asset));
    }
}

void CBK_SwfAssetList::WriteAssets(CBK_SwfStream& stream) {
    // The count field holds 65535 at most; assets beyond it are left out, not miscounted.
    const std::size_t count = std::min<std::size_t>(_assets.size(), 65535);
    stream.Add(static_cast<uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i)
        _assets[i]->Write(&stream);
}

uint32_t CBK_SwfExportAssets::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    ReadAssets(reader, reader->GetTagEnd(start));
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfExportAssets::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { WriteAssets(s); });
}

uint32_t CBK_SwfImportAssets::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    const uint32_t end = reader->GetTagEnd(start);
    reader->GetString(_url, 0, false);
    ReadAssets(reader, end);
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfImportAssets::Write(CBK_SwfStream* stream) {
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_url);
        s.Add(uint8_t(0));
        WriteAssets(s);
    });
}

} // namespace ravuz
