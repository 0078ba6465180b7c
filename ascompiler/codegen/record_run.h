// Straight-line code as it is emitted: Push records and other actions written one after
// another into one buffer, so that a stretch of code is one coding rather than one per
// record.
#pragma once

#include "ascompiler/codegen/coding.h"

namespace translate {

// code() is the code of the last record, and setCode() rewrites it. A sealed run takes no
// more records, so sealing still guards the record that ends a measured branch.
class RecordRun : public DLLImpl<Coding> {
public:
    RecordRun() { markRun(); }
    // CompileError when a Push record is beyond its 16-bit length.
    int getLength(int version) override;
    void encode(Coder* coder) override;

    // An action without operands: a code below 0x80.
    void appendAction(int code) { StartRecord(code); }
    // An action with an operand, as ValueAction writes it.
    void appendOperand(int code, int operand) {
        ValueAction::check(code, operand);
        const int length = ValueAction::lengthOf(code);
        StartRecord(code);
        unsigned char* at = m_bytes.grow(length - 1);
        at[0] = static_cast<unsigned char>(length - 3);
        at[1] = 0;
        at[2] = static_cast<unsigned char>(operand & 0xFF);
        if (length == 5)
            at[3] = static_cast<unsigned char>((operand >> 8) & 0xFF);
    }
    // Merged into the last record when that is a Push with room, else a Push of its own.
    void appendValue(const Literal& value) {
        // A Push record holds at most 64 KiB of values: start a new one beyond that.
        if (m_last >= 0 && code() == 0x96 && PayloadOfLast() + value.length() <= kMaxPushPayload)
            AddValue(value);
        else
            appendPush(value);
    }
    // A new Push record, even after a Push.
    void appendPush(const Literal& value);
    // Drops the last record; false when none is left.
    bool removeLast();
    // The last value of the last record, a Push, and its replacement (which must not view
    // this run's bytes).
    Literal lastValue() const;
    void replaceLastValue(const Literal& value);

protected:
    ~RecordRun() override = default;

private:
    static constexpr int kMaxPushPayload = 0xFFFF;

    void StartRecord(int code) {
        Flush();
        m_previous = m_last;
        m_last = m_bytes.size();
        m_lastValue = -1;
        *m_bytes.grow(1) = static_cast<unsigned char>(code);
        setCode(code);
    }
    void AddValue(const Literal& value) {
        m_lastValue = m_bytes.size();
        value.encode(m_bytes.grow(value.length()));
        const int payload = PayloadOfLast();
        if (payload > kMaxPushPayload)
            m_oversize = true;
        unsigned char* length = m_bytes.data() + m_last + 1;
        length[0] = static_cast<unsigned char>(payload & 0xFF);
        length[1] = static_cast<unsigned char>((payload >> 8) & 0xFF);
    }
    // The last record's code byte follows code() only from here on.
    void Flush() {
        if (m_last >= 0)
            m_bytes.data()[m_last] = static_cast<unsigned char>(code());
    }
    int PayloadOfLast() const { return m_bytes.size() - m_last - 3; }
    int LastValueStart() const;

    ByteBuffer<64> m_bytes;
    int m_last = -1;      // start of the last record
    int m_previous = -1;  // start of the record before it; -1 when unknown or none
    int m_lastValue = -1; // start of the last value of the last record; -1 when unknown
    bool m_oversize = false;
};

} // namespace translate
