// CBK_OFStream: a byte output file stream that converts wide text into its code page.
#pragma once

#include <cstdint>
#include <ios>

#include "core/streams/mac_carbon_file_buf.h"

class CBK_OFStream : public TBK_MacCarbonOFStream<char> {
public:
    explicit CBK_OFStream(uint32_t codePage);
    ~CBK_OFStream() override;

    // A missing file is created; `out` is always added.
    bool Open(const wchar_t* path, std::ios_base::openmode mode, uint32_t codePage);
    uint32_t GetCodePage() const { return _codePage; }
    // The output position; -1 when it cannot be had.
    int64_t GetPosition();

private:
    uint32_t _codePage;
};

// Writes the text in the stream's code page; a text the code page cannot hold writes nothing
// and sets the fail bit.
CBK_OFStream& operator<<(CBK_OFStream& stream, const wchar_t* text);
