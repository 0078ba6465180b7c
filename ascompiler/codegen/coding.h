// The action coding model: values and codings that the generator lists, measures and
// finally encodes as SWF action bytes.
#pragma once

#include "ascompiler/codegen/byte_buffer.h"
#include "ascompiler/tree/dll_interface.h"
#include "ascompiler/tree/node_arena.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace translate {

// Write cursor over a buffer sized from the codings' lengths.
struct Coder {
    int version = 0;
    unsigned char* start = nullptr;
    unsigned char* cursor = nullptr;

    void writeByte(int value) { *cursor++ = static_cast<unsigned char>(value); }
    void writeWord(int value) {
        writeByte(value & 0xFF);
        writeByte((value >> 8) & 0xFF);
    }
    void writeLong(uint32_t value) {
        writeWord(static_cast<int>(value & 0xFFFF));
        writeWord(static_cast<int>(value >> 16));
    }
    void writeString(const std::string& text);
};

// Thrown by the generator for a script it must refuse; compile() turns it into its error
// fields.
struct CompileError {
    std::string message;
};

// Values and codings are made and freed by the thousand in one compile: they live in the
// compile arena.
class Value : public DLLInterface, public ArenaAllocated<ArenaKind::Code> {
public:
    enum Type {
        kString = 0,
        kNull = 2,
        kVoid = 3,
        kRegister = 4,
        kBoolean = 5,
        kDouble = 6,
        kInteger = 7,
        kTableIndex = 8
    };
    int type() const { return m_type; }
    virtual Value* clone() const = 0;
    virtual int getLength(int version) = 0;
    virtual void encode(Coder* coder) = 0;

protected:
    ~Value() override = default;
    void setValueType(int type) { m_type = type; }

private:
    int m_type = 0;
};

using ValuePtr = std::unique_ptr<Value, Destroyer>;

class String : public DLLImpl<Value> {
public:
    explicit String(std::string text) : m_text(std::move(text)) {}
    Value* clone() const override { return new String(m_text); }
    int getLength(int) override { return static_cast<int>(m_text.size()) + 2; }
    void encode(Coder* coder) override;
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

class Null : public DLLImpl<Value> {
public:
    Null();
    Value* clone() const override { return new Null(); }
    int getLength(int) override { return 1; }
    void encode(Coder* coder) override { coder->writeByte(kNull); }
};

class Void : public DLLImpl<Value> {
public:
    Void();
    Value* clone() const override { return new Void(); }
    int getLength(int) override { return 1; }
    void encode(Coder* coder) override { coder->writeByte(kVoid); }
};

class RegisterIndex : public DLLImpl<Value> {
public:
    explicit RegisterIndex(int index);
    Value* clone() const override { return new RegisterIndex(m_index); }
    int getLength(int) override { return 2; }
    void encode(Coder* coder) override;

private:
    int m_index;
};

class Boolean : public DLLImpl<Value> {
public:
    explicit Boolean(bool value);
    Value* clone() const override { return new Boolean(m_value); }
    int getLength(int) override { return 2; }
    void encode(Coder* coder) override;
    bool value() const { return m_value; }

private:
    bool m_value;
};

class Double : public DLLImpl<Value> {
public:
    explicit Double(double value);
    // Read without the locale: digits, an optional point and fraction, an optional exponent.
    explicit Double(std::string_view text);
    // The value of such a text.
    static double parse(std::string_view text);
    Value* clone() const override { return new Double(m_value); }
    int getLength(int) override { return 9; }
    void encode(Coder* coder) override;
    double value() const { return m_value; }

private:
    double m_value;
};

class Integer : public DLLImpl<Value> {
public:
    explicit Integer(int32_t value);
    explicit Integer(std::string_view text);
    Value* clone() const override { return new Integer(m_value); }
    int getLength(int) override { return 5; }
    void encode(Coder* coder) override;
    int32_t value() const { return m_value; }

    // Decimal, or hexadecimal after "0x"; stops at the first non-digit; wraps in 32 bits.
    static int32_t hxtoi(std::string_view text);

private:
    int32_t m_value;
};

class TableIndex : public DLLImpl<Value> {
public:
    explicit TableIndex(int index);
    Value* clone() const override { return new TableIndex(m_index); }
    int getLength(int) override { return m_index < 256 ? 2 : 3; }
    void encode(Coder* coder) override;

private:
    int m_index;
};

class Coding;
using CodingPtr = std::unique_ptr<Coding, Destroyer>;
// Lists are built, moved and dropped by the thousand in one compile: in the compile arena too.
using CodingList = std::vector<CodingPtr, ArenaAllocator<CodingPtr, ArenaKind::Code>>;

// Internal placeholder codes that loops turn into jumps before anything is measured.
constexpr int kBreakCode = 256;
constexpr int kContinueCode = 257;

class Coding : public DLLInterface, public ArenaAllocated<ArenaKind::Code> {
public:
    int code() const { return m_code; }
    void setCode(int code) { m_code = code; }
    virtual int getLength(int version) = 0;
    virtual void encode(Coder* coder) = 0;

    // A coding that ends a branch whose offset is measured: nothing may be merged into it,
    // removed or rewritten.
    bool sealed() const { return m_sealed; }
    void seal() { m_sealed = true; }
    // A RecordRun: several records in one coding.
    bool isRun() const { return m_run; }

protected:
    ~Coding() override = default;
    void markRun() { m_run = true; }
    int m_length = 0;

private:
    int m_code = 0;
    bool m_sealed = false;
    bool m_run = false;
};

class Action : public DLLImpl<Coding> {
public:
    explicit Action(int code) { setCode(code); }
    int getLength(int) override { return code() == 0x9E ? 3 : 1; }
    void encode(Coder* coder) override;
};

class ValueAction : public DLLImpl<Coding> {
public:
    // Jump and If offsets must fit 16 signed bits: CompileError otherwise.
    ValueAction(int code, int operand);
    // What the constructor checks, and the record's length, for any record of this form.
    static void check(int code, int operand);
    static int lengthOf(int code) { return (code == 0x87 || code == 0x9A || code == 0x9F) ? 4 : 5; }
    int getLength(int) override;
    void encode(Coder* coder) override;
    int operand() const { return m_operand; }

private:
    int m_operand;
};

class StringAction : public DLLImpl<Coding> {
public:
    // Strings whose record would not fit a 16-bit length: CompileError.
    StringAction(int code, std::string first, std::string second);
    int getLength(int) override;
    void encode(Coder* coder) override;

private:
    std::string m_first;
    std::string m_second;
};

class TableAction : public DLLImpl<Coding> {
public:
    explicit TableAction(std::vector<std::string> strings);
    int getLength(int) override;
    void encode(Coder* coder) override;

private:
    std::vector<std::string> m_strings;
};

// A pushed value by its kind and contents, without an object of its own: how the generator
// hands values to Push records. A string is viewed, not copied, until it is appended.
class Literal {
public:
    static Literal integer(int32_t value) { return Literal(Value::kInteger, value); }
    static Literal number(double value) {
        Literal l(Value::kDouble, 0);
        l.m_double = value;
        return l;
    }
    static Literal boolean(bool value) { return Literal(Value::kBoolean, value ? 1 : 0); }
    static Literal null() { return Literal(Value::kNull, 0); }
    static Literal undefined() { return Literal(Value::kVoid, 0); }
    static Literal registerIndex(int index) { return Literal(Value::kRegister, index); }
    static Literal tableIndex(int index) { return Literal(Value::kTableIndex, index); }
    static Literal string(std::string_view text) {
        Literal l(Value::kString, 0);
        l.m_text = text;
        return l;
    }

    int type() const { return m_type; }
    // Integer, Boolean, RegisterIndex and TableIndex values.
    int32_t integerValue() const { return m_integer; }
    double doubleValue() const { return m_double; }
    std::string_view text() const { return m_text; }

    int length() const {
        switch (m_type) {
        case Value::kString:
            return static_cast<int>(m_text.size()) + 2;
        case Value::kNull:
        case Value::kVoid:
            return 1;
        case Value::kDouble:
            return 9;
        case Value::kInteger:
            return 5;
        case Value::kTableIndex:
            return m_integer < 256 ? 2 : 3;
        default:
            return 2;
        }
    }
    // Writes the value's bytes; returns the end.
    unsigned char* encode(unsigned char* out) const {
        Coder coder{0, out, out};
        switch (m_type) {
        case Value::kString:
            coder.writeByte(Value::kString);
            std::memcpy(coder.cursor, m_text.data(), m_text.size());
            coder.cursor += m_text.size();
            coder.writeByte(0);
            break;
        case Value::kNull:
        case Value::kVoid:
            coder.writeByte(m_type);
            break;
        case Value::kDouble: {
            uint64_t bits = 0;
            std::memcpy(&bits, &m_double, sizeof bits);
            coder.writeByte(Value::kDouble);
            coder.writeLong(static_cast<uint32_t>(bits >> 32));
            coder.writeLong(static_cast<uint32_t>(bits));
            break;
        }
        case Value::kInteger:
            coder.writeByte(Value::kInteger);
            coder.writeLong(static_cast<uint32_t>(m_integer));
            break;
        case Value::kTableIndex:
            if (m_integer < 256) {
                coder.writeByte(8);
                coder.writeByte(m_integer);
            } else {
                coder.writeByte(9);
                coder.writeWord(m_integer);
            }
            break;
        default:
            coder.writeByte(m_type);
            coder.writeByte(m_integer);
            break;
        }
        return coder.cursor;
    }
    // The last value of a record, whose bytes are the `size` at `at`.
    static Literal decode(const unsigned char* at, int size);
    // The length of the value whose bytes start at `at`, as decode() reads them.
    static int encodedLength(const unsigned char* at, int size);

private:
    Literal(int type, int32_t value) : m_type(type), m_integer(value) {}

    int m_type;
    int32_t m_integer = 0;
    double m_double = 0;
    std::string_view m_text;
};

// A Push record on its own; the generator writes its pushes into record runs. Keeps its
// values as their bytes, in place while they are few.
class PushAction : public DLLImpl<Coding> {
public:
    explicit PushAction(ValuePtr value);
    PushAction(const PushAction&) = delete;
    PushAction& operator=(const PushAction&) = delete;
    int getLength(int version) override;
    void encode(Coder* coder) override;
    void append(ValuePtr value);
    // Payload bytes of the values as appended.
    int payload() const { return m_bytes.size(); }

protected:
    ~PushAction() override = default;

private:
    ByteBuffer<40> m_bytes;
};

class NewFunctionAction : public DLLImpl<Coding> {
public:
    NewFunctionAction(std::string name, std::vector<std::string> arguments, CodingList body);
    // CompileError when the header or the body would not fit its 16-bit length.
    int getLength(int version) override;
    void encode(Coder* coder) override;

private:
    std::string m_name;
    std::vector<std::string> m_arguments;
    CodingList m_body;
    int m_header = 0;
    int m_bodyLength = 0;
};

class ASEvent : public DLLImpl<Coding> {
public:
    // kind 12: clip event record; kind 13: button condition record.
    ASEvent(int kind, int flags, CodingList actions);
    int getLength(int version) override;
    void encode(Coder* coder) override;
    int flags() const { return m_flags; }

private:
    int m_flags;
    int m_keyCode = 0;
    CodingList m_actions;
};

class ASArray : public DLLImpl<Coding> {
public:
    // kind 1: plain actions; 2: button condition records; 3: clip action records.
    ASArray(int kind, CodingList items);
    int getLength(int version) override;
    void encode(Coder* coder) override;

private:
    CodingList m_items;
    std::vector<int> m_itemLengths;
};

// Throws CompileError when a record body is beyond its 16-bit length field.
void CheckRecordBody(int length, const char* what);

// Sum of the codings' lengths; what jumps and function bodies cover.
int actionLength(const CodingList& list);

} // namespace translate
