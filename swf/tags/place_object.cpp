#include "swf/tags/place_object.h"

#include <algorithm>

#include "swf/stream/minimum_bits.h"
#include "swf/stream/swf_reader.h"

namespace ravuz {

namespace {

template <class T>
std::unique_ptr<T> CopyOf(const std::unique_ptr<T>& source) {
    return source ? std::make_unique<T>(*source) : nullptr;
}

void Widen(uint16_t& low, uint16_t& high, uint16_t value) {
    low = std::min(low, value);
    high = std::max(high, value);
}

// Clip-event flags are 16 bits wide before SWF 6 and 32 bits from then on.
bool WideEvents(uint8_t version) {
    return version >= 6;
}

} // namespace

// ---- CBK_SwfClipAction

CBK_SwfClipAction::CBK_SwfClipAction(uint32_t events)
    : _events(events), _actions(std::make_unique<CBK_SwfDoAction>()) {}

CBK_SwfClipAction::CBK_SwfClipAction(const CBK_SwfClipAction& other)
    : _events(other._events), _recordSize(other._recordSize), _keyCode(other._keyCode),
      _actions(CopyOf(other._actions)) {}

CBK_SwfClipAction& CBK_SwfClipAction::operator=(const CBK_SwfClipAction& other) {
    if (this != &other) {
        _events = other._events;
        _recordSize = other._recordSize;
        _keyCode = other._keyCode;
        _actions = CopyOf(other._actions);
    }
    return *this;
}

CBK_SwfClipAction::~CBK_SwfClipAction() = default;

void CBK_SwfClipAction::SetDoAction(CBK_SwfDoAction* actions) {
    _actions.reset(actions);
}

void CBK_SwfClipAction::AddAction(CBK_SwfActionRecord* record) {
    if (!_actions)
        _actions = std::make_unique<CBK_SwfDoAction>();
    _actions->AddAction(record);
}

void CBK_SwfClipAction::AddEndIf() {
    if (_actions)
        _actions->AddEndIf();
}

void CBK_SwfClipAction::TrackBranches(bool on) {
    if (_actions)
        _actions->TrackBranches(on, false);
}

// ---- CBK_SwfHeldMatrix

CBK_SwfHeldMatrix& CBK_SwfHeldMatrix::operator=(const CBK_SwfHeldMatrix& other) {
    if (this != &other) {
        if (other._matrix)
            Emplace() = *other._matrix;
        else
            reset();
    }
    return *this;
}

void CBK_SwfHeldMatrix::reset(CBK_SwfMatrix* owned) {
    if (_matrix != &_inPlace)
        delete _matrix;
    _matrix = owned;
}

CBK_SwfMatrix& CBK_SwfHeldMatrix::Emplace() {
    reset();
    _inPlace = CBK_SwfMatrix();
    _matrix = &_inPlace;
    return _inPlace;
}

// ---- CBK_SwfPlaceObject

uint16_t CBK_SwfPlaceObject::sMinIdRead = 65535;
uint16_t CBK_SwfPlaceObject::sMaxIdRead = 0;
uint16_t CBK_SwfPlaceObject::sMinIdWrite = 65535;
uint16_t CBK_SwfPlaceObject::sMaxIdWrite = 0;
uint16_t CBK_SwfPlaceObject::sMinDepthRead = 65535;
uint16_t CBK_SwfPlaceObject::sMaxDepthRead = 0;
uint16_t CBK_SwfPlaceObject::sMinDepthWrite = 65535;
uint16_t CBK_SwfPlaceObject::sMaxDepthWrite = 0;

void CBK_SwfPlaceObject::ResetMinMaxCharacterIdRead() {
    sMinIdRead = 65535;
    sMaxIdRead = 0;
}
void CBK_SwfPlaceObject::ResetMinMaxCharacterIdWrite() {
    sMinIdWrite = 65535;
    sMaxIdWrite = 0;
}
void CBK_SwfPlaceObject::ResetMinMaxDepthRead() {
    sMinDepthRead = 65535;
    sMaxDepthRead = 0;
}
void CBK_SwfPlaceObject::ResetMinMaxDepthWrite() {
    sMinDepthWrite = 65535;
    sMaxDepthWrite = 0;
}

void CBK_SwfPlaceObject::SeenRead(uint16_t depth, const uint16_t* id) {
    Widen(sMinDepthRead, sMaxDepthRead, depth);
    if (id)
        Widen(sMinIdRead, sMaxIdRead, *id);
}

void CBK_SwfPlaceObject::SeenWritten(uint16_t depth, const uint16_t* id) {
    Widen(sMinDepthWrite, sMaxDepthWrite, depth);
    if (id)
        Widen(sMinIdWrite, sMaxIdWrite, *id);
}

CBK_SwfPlaceObject::CBK_SwfPlaceObject(const CBK_SwfPlaceObject& other)
    : CBK_SwfTag(other), _characterId(other._characterId), _depth(other._depth),
      _matrix(other._matrix), _colorTransform(CopyOf(other._colorTransform)) {}

CBK_SwfPlaceObject& CBK_SwfPlaceObject::operator=(const CBK_SwfPlaceObject& other) {
    if (this != &other) {
        _characterId = other._characterId;
        _depth = other._depth;
        _matrix = other._matrix;
        _colorTransform = CopyOf(other._colorTransform);
    }
    return *this;
}

void CBK_SwfPlaceObject::Destroy() {
    _matrix.reset();
    _colorTransform.reset();
}

uint32_t CBK_SwfPlaceObject::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    const uint32_t end = reader->GetTagEnd(start);
    CBK_SwfPlaceObject::Destroy();
    SetCharacterId(reader->GetWord());
    _depth = reader->GetWord();
    SeenRead(_depth, &_characterId);
    if (reader->GetBufPos() < end)
        _matrix.Emplace().Read(reader);
    reader->ByteAlign();
    if (reader->GetBufPos() < end && reader->ChargeObject<CBK_SwfColorTransform>()) {
        _colorTransform = std::make_unique<CBK_SwfColorTransform>();
        _colorTransform->Read(reader);
    }
    reader->ByteAlign();
    return reader->GetBufPos() - start;
}

uint32_t CBK_SwfPlaceObject::Write(CBK_SwfStream* stream) {
    SeenWritten(_depth, &_characterId);
    return WriteTag(stream, false, [this](CBK_SwfStream& s) {
        s.Add(_characterId);
        s.Add(_depth);
        if (_matrix)
            _matrix->Write(&s);
        s.ByteAlign();
        if (_colorTransform)
            _colorTransform->Write(&s);
    });
}

void CBK_SwfPlaceObject::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t) {
    _characterId = OffsetU16(_characterId, idOffset);
    _depth = OffsetU16(_depth, depthOffset);
}

// ---- CBK_SwfPlaceObject2

CBK_SwfPlaceObject2::CBK_SwfPlaceObject2(const CBK_SwfPlaceObject2& other) : CBK_SwfPlaceObject() {
    CBK_SwfPlaceObject2::Create();
    *this = other;
}

CBK_SwfPlaceObject2& CBK_SwfPlaceObject2::operator=(const CBK_SwfPlaceObject2& other) {
    if (this == &other)
        return *this;
    CBK_SwfPlaceObject::operator=(other);
    _name = CopyOf(other._name);
    _ratio = other._ratio;
    _clipDepth = other._clipDepth;
    _colorTransformAlpha = CopyOf(other._colorTransformAlpha);
    _hasClipActions = other._hasClipActions;
    _hasClipDepth = other._hasClipDepth;
    _hasName = other._hasName;
    _hasRatio = other._hasRatio;
    _hasCharacter = other._hasCharacter;
    _move = other._move;
    _allEvents = other._allEvents;
    _version = other._version;
    _clipActions.reset();
    for (const auto& action : other.ClipActions())
        MakeClipActions().push_back(std::make_unique<CBK_SwfClipAction>(*action));
    return *this;
}

void CBK_SwfPlaceObject2::Create() {
    _characterId = 0;
    _ratio = 0;
    _clipDepth = 0;
    _matrix.reset();
    _colorTransformAlpha.reset();
    _hasClipActions = _hasClipDepth = _hasName = _hasRatio = _hasCharacter = _move = false;
    _version = 4;
}

void CBK_SwfPlaceObject2::Destroy() {
    CBK_SwfPlaceObject::Destroy();
    _colorTransformAlpha.reset();
    _clipActions.reset();
}

const std::wstring& CBK_SwfPlaceObject2::GetName() const {
    static const std::wstring kNone;
    return _name ? *_name : kNone;
}

const CBK_SwfPlaceObject2::ClipActionList& CBK_SwfPlaceObject2::ClipActions() const {
    static const ClipActionList kNone;
    return _clipActions ? *_clipActions : kNone;
}

CBK_SwfPlaceObject2::ClipActionList& CBK_SwfPlaceObject2::MakeClipActions() {
    if (!_clipActions)
        _clipActions = std::make_unique<ClipActionList>();
    return *_clipActions;
}

void CBK_SwfPlaceObject2::SetCharacterId(uint16_t id) {
    _characterId = id;
    _hasCharacter = true;
}

void CBK_SwfPlaceObject2::SetName(const std::wstring& name) {
    _name = std::make_unique<std::wstring>(name);
    _hasName = true;
}

void CBK_SwfPlaceObject2::SetName(const wchar_t* name) {
    SetName(std::wstring(name ? name : L""));
}

void CBK_SwfPlaceObject2::SetRatio(uint16_t ratio) {
    _ratio = ratio;
    _hasRatio = true;
}

void CBK_SwfPlaceObject2::SetClipDepth(uint16_t depth) {
    _clipDepth = depth;
    _hasClipDepth = true;
}

void CBK_SwfPlaceObject2::SetColorTransformAlpha(CBK_SwfColorTransformAlpha* transform) {
    _colorTransformAlpha.reset(transform);
}

void CBK_SwfPlaceObject2::AddClipAction(CBK_SwfClipAction* action) {
    if (!action)
        return;
    MakeClipActions().emplace_back(action);
    _hasClipActions = true;
}

void CBK_SwfPlaceObject2::ClearClipActions() {
    _clipActions.reset();
    _hasClipActions = false;
}

CBK_SwfClipAction* CBK_SwfPlaceObject2::GetClipAction(std::size_t index) const {
    const ClipActionList& actions = ClipActions();
    return index < actions.size() ? actions[index].get() : nullptr;
}

void CBK_SwfPlaceObject2::OffsetInfo(int32_t idOffset, int32_t depthOffset, int32_t) {
    if (_hasCharacter)
        _characterId = OffsetU16(_characterId, idOffset);
    _depth = OffsetU16(_depth, depthOffset);
    if (_hasClipDepth)
        _clipDepth = OffsetU16(_clipDepth, depthOffset);
}

void CBK_SwfPlaceObject2::WritePayload(CBK_SwfStream& stream, uint32_t* clipDepthAt) {
    const uint8_t version = std::max(_version, stream.GetVersion());
    const uint32_t start = stream.GetByteCount();
    const uint8_t flags = static_cast<uint8_t>(
        (_hasClipActions ? 0x80 : 0) | (_hasClipDepth ? 0x40 : 0) | (_hasName ? 0x20 : 0) |
        (_hasRatio ? 0x10 : 0) | (_colorTransformAlpha ? 0x08 : 0) | (_matrix ? 0x04 : 0) |
        (WritesCharacterId() ? 0x02 : 0) | (_move ? 0x01 : 0));
    stream.Add(flags);
    stream.Add(_depth);
    if (WritesCharacterId())
        stream.Add(_characterId);
    if (_matrix) {
        _matrix->Write(&stream);
        stream.ByteAlign();
    }
    if (_colorTransformAlpha) {
        _colorTransformAlpha->Write(&stream);
        stream.ByteAlign();
    }
    if (_hasRatio)
        stream.Add(_ratio);
    if (_hasName) {
        stream.Add(GetName());
        stream.Add(uint8_t(0));
    }
    if (_hasClipDepth) {
        if (clipDepthAt)
            *clipDepthAt = stream.GetByteCount() - start;
        stream.Add(_clipDepth);
    }
    if (_hasClipActions) {
        const bool wide = WideEvents(version);
        auto addEvents = [&](uint32_t events) {
            if (wide)
                stream.Add(events);
            else
                stream.Add(static_cast<uint16_t>(events));
        };
        // A handler whose events vanish at this width could never fire, and its zero flags
        // would read as the end of the list.
        auto written = [&](const CBK_SwfClipAction& a) {
            return wide ? a.GetEvents() != 0 : (a.GetEvents() & 0xFFFF) != 0;
        };
        uint32_t all = 0;
        for (const auto& action : ClipActions())
            if (written(*action))
                all |= action->GetEvents();
        stream.Add(uint16_t(0));
        addEvents(all);
        for (const auto& action : ClipActions()) {
            if (!written(*action))
                continue;
            CBK_SwfStream record(version);
            if (wide && (action->GetEvents() & CBK_SwfClipAction::kKeyPress))
                record.Add(action->GetKeyCode());
            if (CBK_SwfDoAction* actions = action->GetDoAction()) {
                actions->SetHeaderSuppressed(true);
                actions->Write(&record, false);
            } else {
                record.Add(uint8_t(0));
            }
            addEvents(action->GetEvents());
            stream.Add(record.GetByteCount());
            stream.Add(&record);
        }
        addEvents(0);
    }
    stream.ByteAlign();
}

uint32_t CBK_SwfPlaceObject2::Write(CBK_SwfStream* stream) {
    // A handler that cannot be encoded leaves the whole placement unwritten.
    for (const auto& action : ClipActions())
        if (CBK_SwfDoAction* actions = action->GetDoAction())
            if (!actions->CanWrite(stream->GetVersion()))
                return 0;
    SeenWritten(_depth, WritesCharacterId() ? &_characterId : nullptr);
    return WriteTag(stream, false, [this](CBK_SwfStream& s) { WritePayload(s, nullptr); });
}

uint32_t CBK_SwfPlaceObject2::GetClipDepthPos(uint8_t version) {
    if (!_hasClipDepth)
        return 0;
    CBK_SwfStream payload(version);
    uint32_t at = 0;
    WritePayload(payload, &at);
    return CBK_SwfTag::HeaderSize(payload.GetByteCount(), false) + at;
}

uint32_t CBK_SwfPlaceObject2::Read(CBK_SwfReader* reader) {
    const uint32_t start = reader->GetBufPos();
    const uint32_t end = reader->GetTagEnd(start);
    Destroy();
    Create();
    _name.reset();
    _allEvents = 0;
    const uint8_t flags = reader->GetByte();
    _depth = reader->GetWord();
    _move = (flags & 0x01) != 0;
    if (flags & 0x02) {
        _characterId = reader->GetWord();
        _hasCharacter = true;
    }
    SeenRead(_depth, _hasCharacter ? &_characterId : nullptr);
    // What the flags announce is charged before it is made; refused, the reading stops.
    if (flags & 0x04)
        _matrix.Emplace().Read(reader);
    reader->ByteAlign();
    if ((flags & 0x08) && reader->ChargeObject<CBK_SwfColorTransformAlpha>()) {
        _colorTransformAlpha = std::make_unique<CBK_SwfColorTransformAlpha>();
        _colorTransformAlpha->Read(reader);
        reader->ByteAlign();
    }
    if (flags & 0x10) {
        _ratio = reader->GetWord();
        _hasRatio = true;
    }
    if ((flags & 0x20) && reader->ChargeObject<std::wstring>()) {
        _name = std::make_unique<std::wstring>();
        reader->GetString(*_name, 0, false);
        _hasName = true;
    }
    if (flags & 0x40) {
        _clipDepth = reader->GetWord();
        _hasClipDepth = true;
    }
    if ((flags & 0x80) && reader->ChargeObject<ClipActionList>()) {
        _hasClipActions = true;
        _version = reader->GetVersion();
        ReadClipActions(reader, end);
    }
    reader->ByteAlign();
    return reader->GetBufPos() - start;
}

void CBK_SwfPlaceObject2::ReadClipActions(CBK_SwfReader* reader, uint32_t end) {
    const bool wide = WideEvents(_version);
    const uint32_t width = wide ? 4 : 2;
    auto readEvents = [&]() -> uint32_t { return wide ? reader->GetDWord() : reader->GetWord(); };
    reader->ByteAlign();
    reader->GetWord(); // reserved
    _allEvents = readEvents();
    while (reader->GetBufPos() < end && end - reader->GetBufPos() >= width) {
        const uint32_t events = readEvents();
        if (events == 0)
            break;
        if (end - reader->GetBufPos() < 4)
            break;
        const uint32_t size = reader->GetDWord();
        const uint32_t recordStart = reader->GetBufPos();
        const uint32_t recordEnd =
            static_cast<uint32_t>(std::min<uint64_t>(uint64_t(recordStart) + size, end));
        // Each handler is charged before it is made: a flood of empty ones ends where the
        // movie's budget does.
        if (!reader->ChargeRoomForOne(MakeClipActions()) ||
            !reader->Charge(SwfHeapCost(sizeof(CBK_SwfClipAction)) +
                            SwfHeapCost(sizeof(CBK_SwfDoAction))))
            break;
        auto action = std::make_unique<CBK_SwfClipAction>(events);
        action->SetRecordSize(size);
        if ((events & CBK_SwfClipAction::kKeyPress) && reader->GetBufPos() < recordEnd)
            action->SetKeyCode(reader->GetByte());
        action->GetDoAction()->Read(reader, recordEnd);
        // The record size, not what its actions took, says where the next one starts.
        reader->SetBufPos(recordEnd);
        MakeClipActions().push_back(std::move(action));
    }
}

} // namespace ravuz
