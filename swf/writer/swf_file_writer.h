// CBK_SwfFileWriter: streams a SWF movie to a file. Each tag is written as soon as it is
// added; Close patches the file length and the frame count into the header and puts the
// file in place. An existing file is replaced only by a movie that was written whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/events/event.h"
#include "core/files/atomic_file.h"
#include "core/paths/path.h"
#include "platform/types.h"
#include "swf/base/swf_tag.h"
#include "swf/stream/swf_stream.h"

namespace ravuz {

class CBK_SwfHeader;

class CBK_SwfFileWriter {
public:
    // A depth field written into the file, to be renumbered by ResolveHighDepths.
    struct HIGH_DEPTH_MAP {
        HIGH_DEPTH_MAP(uint16_t depth, uint32_t offset) : offset(offset), depth(depth) {}
        uint32_t offset;
        uint16_t depth;
    };

    // The smallest frame, in twips, that survives a later QuickTime conversion.
    static constexpr int32_t kQuicktimeMinWidth = 25600;
    static constexpr int32_t kQuicktimeMinHeight = 19200;

    // `quicktimeSize` enlarges small frames to the QuickTime minimum (see Open).
    explicit CBK_SwfFileWriter(bool quicktimeSize = false);
    ~CBK_SwfFileWriter();
    CBK_SwfFileWriter(const CBK_SwfFileWriter&) = delete;
    CBK_SwfFileWriter& operator=(const CBK_SwfFileWriter&) = delete;

    // Frame rectangle (0, 0, width, height) in twips.
    void Create(int32_t width, int32_t height, float rate, uint8_t version);
    void Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, float rate, uint8_t version);
    // Rectangle, rate and version of a header; null changes nothing.
    void Create(const CBK_SwfHeader* header);

    void GetSize(int32_t& width, int32_t& height) const;
    int32_t GetWidth() const;
    int32_t GetHeight() const;
    uint8_t GetVersion() const { return _version; }
    float GetFrameRate() const { return _frameRate; }
    // ShowFrame tags added since Open, without the header's limit.
    uint32_t GetFrameCount() const { return _frameCount; }

    // Starts the file (creator 'SWF2', type 'SWFL') with a provisional header. False for a
    // folder, an existing file without `replace`, or a file that cannot be made. A file
    // still open is closed first.
    bool Open(const CBK_Path& path, bool replace);
    bool IsOpen() const { return _file.IsOpen(); }
    // Writes the tag at the movie's version and frees it unless `keep`. Returns the bytes
    // written: 0 for null, for a tag dropped (a repeated frame label, sound while audio is
    // ignored), with no file open, or when a write failed. A script that cannot be encoded
    // (an action list, a button or a placement holding one) fails the write. Small tags are
    // gathered into large writes, so a failure can show on a later tag; Close always reports
    // it.
    uint32_t Add(CBK_SwfTag* tag, bool keep = false);
    // The stream's bytes (its pending bits completed), unchanged.
    uint32_t Write(CBK_SwfStream& stream);
    // The handle's bytes; the handle is freed and set to null.
    uint32_t Add(tbx::Handle& handle);
    // Patches the header and puts the file in place; returns its length, or 0 when nothing
    // was open, when any write failed or when the movie outgrew the 32-bit length (the file
    // it was to replace is then left as it was).
    uint32_t Close();

    void IgnoreAudio(bool ignore) { _ignoreAudio = ignore; }
    void TrackHighDepths(bool track) { _trackHighDepths = track; }
    void TrackHighClipDepths(bool track) { _trackHighClipDepths = track; }
    // Renumbers every recorded depth field as base + its rank among the distinct depths
    // (held to 65535).
    void ResolveHighDepths(int32_t base);
    void AddHighDepthToMap(uint16_t depth, uint32_t offset);
    void ResetHighDepthMap() { _depthMap.clear(); }
    const std::vector<HIGH_DEPTH_MAP>& GetHighDepthMap() const { return _depthMap; }

    // Rounded to the nearest; 0 for a rate that is not above 0, held to the 32-bit range.
    uint32_t ConvertMsecToFrameNumber(uint32_t ms) const;
    uint32_t ConvertFrameNumberToMsec(uint32_t frame) const;
    static bool NeedsAdjustmentForQuicktimeConversion(int32_t width, int32_t height);

    // Fired once per ShowFrame with the frame's 0-based number.
    TBK_Event<int32_t>& GetFrameEvent() { return _frameEvent; }

private:
    // Drops a tag that is not written.
    static uint32_t Drop(CBK_SwfTag* tag, bool keep);
    // Sends the tags gathered in the scratch stream to the file; false once any write failed.
    bool FlushStage();
    // The gathered tags, then these bytes.
    bool WriteBytes(const uint8_t* data, std::size_t size);
    // `bytes` is the tag as written, to land at file offset `position`.
    void RecordDepths(CBK_SwfTag* tag, uint16_t code, const uint8_t* bytes, std::size_t size,
                      uint64_t position);

    TBK_Event<int32_t> _frameEvent;
    std::vector<HIGH_DEPTH_MAP> _depthMap;
    std::unordered_set<std::wstring> _frameLabels;
    bool _trackHighDepths = false;
    bool _trackHighClipDepths = false;
    CBK_AtomicFile _file;
    std::unique_ptr<CBK_SwfStream> _scratch; // the tags not yet sent to the file
    bool _writeFailed = false;
    int32_t _xmin = 0, _xmax = 20, _ymin = 0, _ymax = 20;
    float _frameRate = 0.0f;
    uint32_t _frameCount = 0;
    uint32_t _headerEnd = 0;
    uint8_t _version = 4;
    bool _quicktimeSize;
    bool _ignoreAudio = false;
};

} // namespace ravuz
