#include "ascompiler/codegen/record_run.h"

namespace translate {
namespace {

int RecordLength(const unsigned char* at) {
    return at[0] < 0x80 ? 1 : 3 + (at[1] | (at[2] << 8));
}

} // namespace

int RecordRun::getLength(int) {
    // A single value beyond 64 KiB cannot be split off into a Push of its own.
    if (m_oversize)
        CheckRecordBody(kMaxPushPayload + 1, "a pushed value");
    return m_bytes.size();
}

void RecordRun::encode(Coder* coder) {
    Flush();
    std::memcpy(coder->cursor, m_bytes.data(), static_cast<size_t>(m_bytes.size()));
    coder->cursor += m_bytes.size();
}

void RecordRun::appendPush(const Literal& value) {
    StartRecord(0x96);
    m_bytes.grow(2);
    AddValue(value);
}

bool RecordRun::removeLast() {
    if (m_last < 0)
        return false;
    if (m_previous < 0 && m_last > 0) {
        // Two removals in a row: find the record before by walking from the start.
        for (int at = 0; at < m_last; at += RecordLength(m_bytes.data() + at))
            m_previous = at;
    }
    m_bytes.resize(m_last);
    m_last = m_previous;
    m_previous = -1;
    m_lastValue = -1;
    if (m_last < 0)
        return false;
    setCode(m_bytes.data()[m_last]);
    return true;
}

int RecordRun::LastValueStart() const {
    if (m_lastValue >= 0)
        return m_lastValue;
    // Walk the record's values to the last one.
    int at = m_last + 3;
    const int end = m_bytes.size();
    for (int next = at; next < end;
         next += Literal::encodedLength(m_bytes.data() + next, end - next))
        at = next;
    return at;
}

Literal RecordRun::lastValue() const {
    const int at = LastValueStart();
    return Literal::decode(m_bytes.data() + at, m_bytes.size() - at);
}

void RecordRun::replaceLastValue(const Literal& value) {
    m_bytes.resize(LastValueStart());
    AddValue(value);
}

} // namespace translate
