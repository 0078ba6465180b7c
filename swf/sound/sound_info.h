// CBK_SwfSoundInfo: the SOUNDINFO record of StartSound and DefineButtonSound (sync flags,
// in and out points, loops and the volume envelope).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace ravuz {

class CBK_SwfReader;
class CBK_SwfStream;

struct SOUNDENVELOPE {
    uint32_t position = 0; // in samples at 44 kHz
    uint16_t leftLevel = 0;
    uint16_t rightLevel = 0;
};

class CBK_SwfSoundInfo {
public:
    static constexpr uint8_t HAS_IN_POINT = 0x01;
    static constexpr uint8_t HAS_OUT_POINT = 0x02;
    static constexpr uint8_t HAS_LOOPS = 0x04;
    static constexpr uint8_t HAS_ENVELOPE = 0x08;
    static constexpr uint8_t SYNC_NO_MULTIPLE = 0x10;
    static constexpr uint8_t SYNC_STOP = 0x20;
    // The record counts its points in one byte.
    static constexpr std::size_t kMaxEnvelopePoints = 255;

    CBK_SwfSoundInfo() { Create(); }
    CBK_SwfSoundInfo(const CBK_SwfSoundInfo& other) { *this = other; }
    CBK_SwfSoundInfo& operator=(const CBK_SwfSoundInfo& other);
    ~CBK_SwfSoundInfo() = default;

    // Flags, points, loops and envelope all reset.
    void Create();
    void Destroy() { _envelope.clear(); }

    // Replaces what the record held. Reads stop at `end` (a reader position); a count of
    // points is held to the points that fit before it.
    uint32_t Read(CBK_SwfReader* reader, uint32_t end);
    // Up to the reader's current tag length from its position.
    uint32_t Read(CBK_SwfReader* reader);
    uint32_t Write(CBK_SwfStream* stream) const;

    bool HasInPoint() const { return _flags & HAS_IN_POINT; }
    bool HasOutPoint() const { return _flags & HAS_OUT_POINT; }
    bool HasLoops() const { return _flags & HAS_LOOPS; }
    bool HasEnvelope() const { return _flags & HAS_ENVELOPE; }
    bool HasSyncNoMultiple() const { return _flags & SYNC_NO_MULTIPLE; }
    void HasInPoint(bool on) { SetFlag(HAS_IN_POINT, on); }
    void HasOutPoint(bool on) { SetFlag(HAS_OUT_POINT, on); }
    void HasLoops(bool on) { SetFlag(HAS_LOOPS, on); }
    void HasEnvelope(bool on) { SetFlag(HAS_ENVELOPE, on); }
    void HasSyncNoMultiple(bool on) { SetFlag(SYNC_NO_MULTIPLE, on); }

    uint8_t GetFlags() const { return _flags; }
    void SetFlags(uint8_t flags) { _flags = flags; }
    uint32_t GetInPoint() const { return _inPoint; }
    void SetInPoint(uint32_t point) { _inPoint = point; }
    uint32_t GetOutPoint() const { return _outPoint; }
    void SetOutPoint(uint32_t point) { _outPoint = point; }
    uint16_t GetLoopCount() const { return _loopCount; }
    void SetLoopCount(uint16_t count) { _loopCount = count; }
    // The count the last Read found.
    uint8_t GetEnvelopeCount() const { return _envelopeCount; }

    // A new point at position 0 with both levels 0, owned by the record; null when the
    // record already holds as many points as it can write.
    SOUNDENVELOPE* AddEnvelopeRecord();
    bool DeleteEnvelopeRecord(uint32_t index);
    std::size_t GetEnvelopeSize() const { return _envelope.size(); }
    SOUNDENVELOPE* GetEnvelopeRecord(std::size_t index) const {
        return index < _envelope.size() ? _envelope[index].get() : nullptr;
    }

private:
    void SetFlag(uint8_t bit, bool on) {
        _flags = static_cast<uint8_t>(on ? _flags | bit : _flags & ~bit);
    }

    uint8_t _flags = 0;
    uint32_t _inPoint = 0;
    uint32_t _outPoint = 0;
    uint16_t _loopCount = 0;
    uint8_t _envelopeCount = 0;
    std::vector<std::unique_ptr<SOUNDENVELOPE>> _envelope;
};

} // namespace ravuz
