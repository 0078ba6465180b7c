// Whole FLV files: the in-memory form (CBK_FlvFile), the streaming writer (CBK_FlvWriter)
// and the header reader (CBK_FlvReader).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/bitstream/byte_buffer.h"
#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "swf/flv/flv_header.h"
#include "swf/flv/flv_tag.h"

class CBK_FlvFileBody {
public:
    // Appends and takes a non-null tag.
    void AddFlvTag(CBK_FlvTag* tag);
    // A zero size for the tag before the first, then each tag and the size it took.
    uint32_t Write(CBK_FlvStream* stream) const;
    uint32_t Read(CBK_BitReader*) { return 0; }
    void Destroy() { _tags.clear(); }
    // Whether every tag's body fits its size field.
    bool Fits() const;
    std::size_t GetCount() const { return _tags.size(); }

private:
    std::vector<std::unique_ptr<CBK_FlvTag>> _tags;
};

class CBK_FlvFile {
public:
    CBK_FlvFile() = default;
    CBK_FlvFile(const CBK_FlvFile&) = delete;
    CBK_FlvFile& operator=(const CBK_FlvFile&) = delete;

    // Takes the header and the body, making defaults for null ones.
    bool Create(CBK_FlvHeader* header, CBK_FlvFileBody* body);
    // Each takes the object and frees the one it held.
    void SetFlvHeader(CBK_FlvHeader* header);
    void SetFlvFileBody(CBK_FlvFileBody* body);
    void AddFlvTag(CBK_FlvTag* tag);
    // Files are not read back: false.
    bool Open(const CBK_Path&) { return false; }
    // The whole file, replacing any file there only once written; false without a header or
    // a body, with a tag whose body does not fit its size field, or when writing fails.
    bool Write(const CBK_Path& path) const;

private:
    std::unique_ptr<CBK_FlvHeader> _header;
    std::unique_ptr<CBK_FlvFileBody> _body;
};

class CBK_FlvReader {
public:
    // Files are not read: false.
    bool Read(const wchar_t*) { return false; }

private:
    CBK_FlvHeader _header;
};

class CBK_FlvWriter {
public:
    CBK_FlvWriter() = default;
    CBK_FlvWriter(const CBK_FlvWriter&) = delete;
    CBK_FlvWriter& operator=(const CBK_FlvWriter&) = delete;
    ~CBK_FlvWriter() { Close(); }

    void Create(bool video, bool audio, uint8_t version);
    // Starts the file (creator 'FLV2', type 'MFL2') with its header. False for a folder, an
    // existing file without `replace`, or a file that cannot be made. An existing file is
    // replaced only when Close succeeds.
    bool Open(const CBK_Path& path, bool replace);
    // Writes the tag and the size it took, then frees it unless `keep`. Nothing for null. A
    // tag whose body does not fit its size field fails the file: neither it nor any tag after
    // it is written.
    void Add(CBK_FlvTag* tag, bool keep);
    // The file's length; 0 when nothing was open, a tag was refused or any write failed (the
    // file it was to replace is then left as it was).
    uint32_t Close();

private:
    void WriteBytes(const CBK_ByteBuffer& bytes);

    CBK_FlvHeader _header;
    CBK_AtomicFile _file;
    uint64_t _length = 0;
    bool _refused = false;
};
