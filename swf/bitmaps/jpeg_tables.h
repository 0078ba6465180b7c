// JpegTables (8): the JPEG encoding tables that DefineBits images of the movie share.
#pragma once

#include <vector>

#include "swf/base/swf_tag.h"

namespace ravuz {

class CBK_SwfJpegTables : public CBK_SwfTag {
public:
    CBK_SwfJpegTables() = default;
    // The reader's form: the payload length of the record being read.
    explicit CBK_SwfJpegTables(uint32_t recordLength) : _recordLength(recordLength) {}
    ~CBK_SwfJpegTables() override = default;

    uint16_t GetTagId() const override { return kSwfTagJpegTables; }
    // The tag's bytes, no more than the record length when one was given.
    uint32_t Read(CBK_SwfReader* reader) override;
    uint32_t Write(CBK_SwfStream* stream) override;
    void Destroy() { _tables.clear(); }

    const std::vector<uint8_t>& GetTables() const { return _tables; }
    void SetTables(const std::vector<uint8_t>& tables) { _tables = tables; }

private:
    std::vector<uint8_t> _tables;
    uint32_t _recordLength = 0;
};

} // namespace ravuz
