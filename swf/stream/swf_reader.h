// CBK_SwfReader: the read primitives every SWF object reads itself with (bits, bytes,
// words, strings, positions) over bytes loaded in memory. Every primitive stops at the end of
// the data: what lies beyond reads as zero and the position never passes the end.
// Loading whole movies and parsing their tags are built in swf/reader, above every tag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "swf/stream/read_budget.h"
#include "swf/stream/shared_bytes.h"

class CBK_Path;

namespace ravuz {

class CBK_SwfStream;
class CBK_SwfHeader;
class CBK_SwfTag;

class CBK_SwfReader {
public:
    CBK_SwfReader();
    virtual ~CBK_SwfReader();
    CBK_SwfReader(const CBK_SwfReader&) = delete;
    CBK_SwfReader& operator=(const CBK_SwfReader&) = delete;

    enum : uint32_t {
        ERROR_CANNOT_OPEN = 1,
        ERROR_NOT_SWF = 2, // a compressed buffer included
        // Also a movie whose tags, or whose compressed bytes inflated, would take more memory
        // than its bytes bear (CBK_SwfReadBudget, SwfInflateLimit).
        ERROR_NO_MEMORY = 3,
    };
    // Sprites nested deeper than this are kept as they are stored, unparsed.
    static constexpr uint32_t kMaxNesting = 32;

    virtual void Close() {}
    // Empties the data and the tag list (without deleting the tags); positions and tag
    // length 0.
    virtual void Create();
    // Loads the bytes of `stream` (its pending bits flushed) and takes its version; the
    // current tag length becomes the whole size, so a copy reads up to its end.
    virtual bool Create(CBK_SwfStream* stream, bool);
    // Loads bytes given in memory, as read from a movie of `version`.
    void CreateFromBytes(const uint8_t* bytes, std::size_t size, uint8_t version);
    // Reads bytes in place, as read from a movie of `version`; they must outlive the reads.
    void CreateView(const uint8_t* bytes, uint32_t size, uint8_t version);
    // The same over shared bytes, whose parts PeekShared then hands out.
    void CreateView(const CBK_SwfSharedBytes& bytes, uint8_t version);

    // Positions are held within the data.
    virtual void SetBufPos(uint32_t position);
    virtual void OffsetBufPos(uint32_t delta);
    virtual void ByteAlign();
    // Bits past the 32nd of a wider field drop out at the top; the excess reads as 0.
    virtual int32_t GetBits(uint16_t count, bool isSigned);
    virtual uint8_t PeekByte();
    // These return 0 and stay put when fewer bytes remain than they need.
    virtual uint8_t GetByte();
    virtual uint16_t GetWord();
    virtual uint32_t GetDWord();
    // With a length, that many bytes (as many as remain); without, up to and including a
    // zero byte or the end. The text ends at its first zero character. What the string takes
    // is charged to the budget before it is made (refused, it is left empty).
    virtual void GetString(std::wstring& str, uint32_t length, bool checkPaths);
    // Appends up to `count` bytes (no more than remain) and returns how many.
    virtual uint32_t GetBytes(std::vector<uint8_t>& out, uint32_t count);
    // The next `count` bytes (after aligning) where they lie in memory, without moving; null
    // when fewer remain or the bytes are not held in memory (a file read in place).
    virtual const uint8_t* PeekBytes(uint32_t count);
    // The same bytes as a share of the block that holds them, for keeping beyond the reader;
    // empty unless the reader reads a shared block.
    virtual CBK_SwfSharedBytes PeekShared(uint32_t count);
    virtual uint32_t GetDataSize() const;
    // Makes `view` read the next `count` bytes (after aligning, without moving) in place where
    // they lie in memory, shared where this reader reads shared blocks, and otherwise from a
    // copy in `copy`, which must outlive the reads; version, nesting and budget go with them.
    void ViewAhead(uint32_t count, CBK_SwfReader& view, std::vector<uint8_t>& copy);

    uint32_t GetBufPos() const { return _position; }
    uint32_t GetBitPos() const { return _bitPosition; }
    // Bytes from the current (aligned) position to the end of the data.
    uint32_t GetRemaining() const;
    uint32_t GetCurrentTagLength() const { return _currentTagLength; }
    void SetCurrentTagLength(uint32_t length) { _currentTagLength = length; }
    // The end of the tag whose payload starts at `start`, held within the data.
    uint32_t GetTagEnd(uint32_t start) const;
    // The movie's SWF version: version-dependent records and text decoding follow it.
    uint8_t GetVersion() const { return _version; }
    void SetVersion(uint8_t version) { _version = version; }
    const std::vector<uint8_t>& GetData() const { return _data; }

    // Whole movies. With `checkSignature` the bytes begin "FWS" (a compressed "CWS" file is
    // inflated in memory); without, at the length field. Loads `maxBytes` when non-zero, else
    // the declared length, counted from the signature, and no more than there is. False with
    // the last error set on failure: ERROR_NO_MEMORY for a movie that inflates or parses into
    // more than its bytes bear.
    virtual bool Open(const CBK_Path& path, bool checkSignature, uint32_t maxBytes, bool parse);
    // Raw mode: only SetBackgroundColor and FrameLabel are typed; every other tag is kept as
    // it is stored.
    virtual bool OpenGeneric(const CBK_Path& path);
    // As Open, over `size` bytes in memory; a compressed buffer is refused. With `parse` the
    // tags are read straight from the given bytes, which the reader does not keep.
    virtual bool CreateFromBuffer(const uint8_t* data, std::size_t size, bool checkSignature,
                                  uint32_t maxBytes, bool parse);
    // Deletes the tags with `deleteTags`; otherwise leaves them to whoever took them.
    virtual void Destroy(bool deleteTags);

    // Tags from `source` (this reader when null) into this reader's list, emptied first, up
    // to and including End, or the `frameLimit`th ShowFrame when that is non-zero, or source
    // position `end` (0: the end of its data). A tag never reaches past `end`. The tags are
    // charged to the source's budget, or when it has none to one for the bytes the movie took
    // in its file; when it runs out they are deleted, the list is left empty and the last
    // error is ERROR_NO_MEMORY.
    void ParseTags() { ParseTags(nullptr, 0, 0); }
    void ParseTags(CBK_SwfReader* source, uint32_t end, uint32_t frameLimit);
    void ParseGenericTags();
    // Reads one tag at the source's position, held within source position `end`: record
    // header, typed object (in raw mode only SetBackgroundColor and FrameLabel are typed),
    // bytes beyond its fields kept with it, position moved to its end. Null when no record
    // header is left, or when the source's budget has no room for another tag.
    // A typed tag whose bytes, written and read back, would not write the same again is
    // damaged beyond what the model holds: it is kept as stored.
    static CBK_SwfTag* ReadTagAt(CBK_SwfReader& source, uint32_t end, bool raw);
    static CBK_SwfTag* ReadTagAt(CBK_SwfReader& source, uint32_t end, bool raw, bool proveStable);

    // Header, tags and whatever the movie held after its last tag; the header's length is
    // that of what is written. Returns the stream's byte count.
    uint32_t Write(CBK_SwfStream* stream);

    // The tags belong to the caller that takes them; Destroy(true) deletes them.
    std::vector<CBK_SwfTag*>& GetTags(bool = false) { return _tags; }
    CBK_SwfHeader& GetHeader() { return Header(); }
    virtual void GetDimensions(int32_t& width, int32_t& height);
    int32_t GetWidth();
    int32_t GetHeight();
    uint32_t GetLastError() const { return _lastError; }
    uint16_t GetFrameCount() const { return _frameCount; }

    // Whether a read asked for more than the data held since the last Create.
    bool HadShortRead() const { return _shortRead; }

    // The budget that objects read from this reader are charged to, shared by the readers of
    // the tags inside them; not owned. None: a parse charges a budget of its own.
    CBK_SwfReadBudget* GetBudget() const { return _budget; }
    void SetBudget(CBK_SwfReadBudget* budget) { _budget = budget; }
    // Charges memory about to be taken for what is read (SwfHeapCost of an object, say);
    // false when the budget has no room left, and the reading should stop. Always true
    // without a budget.
    bool Charge(uint64_t bytes) { return !_budget || _budget->Charge(bytes); }
    // Whether a charge did not fit: the reading should stop, whatever still has room.
    bool IsSpent() const { return _budget && _budget->IsSpent(); }
    // Gives back a charge for memory that was freed (a list's old room, work undone).
    void Refund(uint64_t bytes) {
        if (_budget)
            _budget->Refund(bytes);
    }
    // Charges a heap object of type T.
    template <class T>
    bool ChargeObject() {
        return Charge(SwfHeapCost(sizeof(T)));
    }
    // Charges and makes room for `count` more elements at once (a count the file states,
    // already held within the bytes that could hold them). False when the budget has no room
    // left.
    template <class List>
    bool ChargeRoomFor(List& list, std::size_t count) {
        const std::size_t want = list.size() + count;
        return want <= list.capacity() ? !IsSpent() : ChargeRoom(list, want);
    }
    // The same for one more element, before the list takes it: the room grows as the
    // standard library grows it, doubling. `kArena`: the list's room comes from the action
    // records' chunk arena.
    template <bool kArena = false, class List>
    bool ChargeRoomForOne(List& list) {
        if (list.size() < list.capacity())
            return !IsSpent();
        const std::size_t old = list.capacity();
        return ChargeRoom<kArena>(list, old ? 2 * old : 1);
    }

    // Two streams to write a tag into while checking it, kept from tag to tag while small.
    CBK_SwfStream& Scratch(int which);
    void ReleaseScratch();

    // How many sprites enclose the bytes this reader holds.
    uint32_t GetNesting() const { return _nesting; }
    void SetNesting(uint32_t nesting) { _nesting = nesting; }

protected:
    // Byte access under the primitives: the loaded data here, a file in the file reader.
    // Callers stay below GetDataSize().
    virtual uint8_t FetchByte(uint32_t position);
    virtual void FetchBytes(uint32_t position, uint8_t* out, uint32_t count);

    // A movie file's bytes into the data; false with the last error set.
    bool LoadFile(const CBK_Path& path, bool checkSignature, uint32_t maxBytes);
    // Reads the header from the data, then parses the tags when asked.
    bool LoadHeader(bool checkSignature, bool parse);
    // Keeps what follows the last tag parsed, up to source position `end`: a share of the
    // bytes where the source holds them in a shared block, else a copy.
    void KeepTail(CBK_SwfReader& source, uint32_t end);
    // ParseTags and ParseGenericTags (`raw`).
    void ReadTagList(CBK_SwfReader& source, uint32_t end, uint32_t frameLimit, bool raw);
    // Open with parsing: the tags are read from the file as it is read, not loaded first.
    bool OpenParsed(const CBK_Path& path, uint32_t maxBytes);

    uint16_t _frameCount = 0;
    std::vector<CBK_SwfTag*> _tags;
    // The bytes the primitives read: the data, or while a buffer is parsed in place, that
    // buffer.
    const uint8_t* Bytes() const;

    std::vector<uint8_t> _data;
    const uint8_t* _view = nullptr;
    uint32_t _viewSize = 0;
    std::shared_ptr<const uint8_t> _viewOwner; // the view's block, when shared
    // The view again when this reader is exactly a CBK_SwfReader, whose primitives then read
    // it without going through the overridable steps (which could do nothing else).
    const uint8_t* _direct = nullptr;
    CBK_SwfSharedBytes _tail; // bytes after the last tag of a whole movie
    // Made when first wanted: a reader over one tag's bytes, made for every tag read, never
    // wants it.
    CBK_SwfHeader& Header();
    std::unique_ptr<CBK_SwfHeader> _header;
    uint32_t _lastError = 0;
    uint32_t _nesting = 0;
    CBK_SwfReadBudget* _budget = nullptr;
    std::unique_ptr<CBK_SwfStream> _scratch[2];
    uint64_t _storedBytes = 0; // the loaded movie's bytes in its file; 0: its data
    uint64_t _heldBytes = 0;   // the memory the loaded movie's bytes take
    bool _shortRead = false;
    uint32_t _position = 0;
    uint32_t _bitPosition = 0;
    uint32_t _currentTagLength = 0;
    uint8_t _version = 4;

private:
    // Charges `room` elements' worth and makes the room; the old room's charge is given back
    // once the new one holds the elements.
    template <bool kArena = false, class List>
    bool ChargeRoom(List& list, std::size_t room) {
        constexpr std::size_t kSlot = sizeof(typename List::value_type);
        auto cost = [](std::size_t n) {
            return kArena ? SwfArenaCost(n * kSlot) : SwfHeapCost(n * kSlot);
        };
        const std::size_t old = list.capacity();
        if (!Charge(cost(room)))
            return false;
        list.reserve(room);
        if (old)
            Refund(cost(old));
        return true;
    }

    // The primitives through the overridable steps, kept apart so that the direct reads
    // stay short.
    [[gnu::noinline]] uint8_t GetByteThroughSteps();
    [[gnu::noinline]] const uint8_t* PeekBytesThroughSteps(uint32_t count);
};

} // namespace ravuz
