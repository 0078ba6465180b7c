// Named characters shared between movies: ExportAssets and ImportAssets with their assets.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfAsset {
public:
    explicit CBK_SwfAsset(uint16_t id = 0, const wchar_t* name = nullptr)
        : _id(id), _name(name ? name : L"") {}

    uint32_t Read(CBK_SwfReader* reader);
    // u16 id, the name and a zero byte; returns the bytes added.
    uint32_t Write(CBK_SwfStream* stream);
    void Destroy() { _name.clear(); }
    void OffsetInfo(int32_t offset);

    uint16_t GetId() const { return _id; }
    const std::wstring& GetName() const { return _name; }

private:
    uint16_t _id;
    std::wstring _name;
};

// The asset list both tags share.
class CBK_SwfAssetList {
public:
    // Inserts before `index`, or appends when `index` is not below the count; takes
    // ownership. A null asset is ignored.
    void AddAsset(CBK_SwfAsset* asset, uint32_t index);
    bool RemoveAsset(uint32_t index);
    std::size_t GetAssetCount() const { return _assets.size(); }
    CBK_SwfAsset* GetAsset(std::size_t index) const;
    void Destroy() { _assets.clear(); }
    void OffsetIds(int32_t offset);

protected:
    // A u16 count and as many assets as the tag ending at `end` can hold.
    void ReadAssets(CBK_SwfReader* reader, uint32_t end);
    void WriteAssets(CBK_SwfStream& stream);

    std::vector<std::unique_ptr<CBK_SwfAsset>> _assets;
};

class CBK_SwfExportAssets : public CBK_SwfTag, public CBK_SwfAssetList {
public:
    uint16_t GetTagId() const override { return kSwfTagExportAssets; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override { OffsetIds(idOffset); }
};

class CBK_SwfImportAssets : public CBK_SwfTag, public CBK_SwfAssetList {
public:
    explicit CBK_SwfImportAssets(const wchar_t* url = nullptr) : _url(url ? url : L"") {}

    uint16_t GetTagId() const override { return kSwfTagImportAssets; }
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void OffsetInfo(int32_t idOffset, int32_t, int32_t) override { OffsetIds(idOffset); }
    void Destroy() {
        CBK_SwfAssetList::Destroy();
        _url.clear();
    }

    const std::wstring& GetUrl() const { return _url; }
    void SetUrl(const std::wstring& url) { _url = url; }

private:
    std::wstring _url;
};

} // namespace ravuz
