#include "ascompiler/codegen/coding.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "core/strings/string_functions.h"

namespace translate {
namespace {

constexpr int kMaxRecordBody = 0xFFFF;

} // namespace

void CheckRecordBody(int length, const char* what) {
    if (length > kMaxRecordBody)
        throw CompileError{std::string(what) + " is too long for its 16-bit length"};
}

void Coder::writeString(const std::string& text) {
    std::memcpy(cursor, text.data(), text.size());
    cursor += text.size();
    writeByte(0);
}

void String::encode(Coder* coder) {
    coder->writeByte(kString);
    coder->writeString(m_text);
}

Null::Null() {
    setValueType(kNull);
}
Void::Void() {
    setValueType(kVoid);
}

RegisterIndex::RegisterIndex(int index) : m_index(index) {
    setValueType(kRegister);
}
void RegisterIndex::encode(Coder* coder) {
    coder->writeByte(kRegister);
    coder->writeByte(m_index);
}

Boolean::Boolean(bool value) : m_value(value) {
    setValueType(kBoolean);
}
void Boolean::encode(Coder* coder) {
    coder->writeByte(kBoolean);
    coder->writeByte(m_value ? 1 : 0);
}

Double::Double(double value) : m_value(value) {
    setValueType(kDouble);
}

Double::Double(std::string_view text) : m_value(parse(text)) {
    setValueType(kDouble);
}

double Double::parse(std::string_view text) {
    // A leading point ("0.5" is written ".5" too) is read as if a zero stood before it.
    std::string padded;
    if (!text.empty() && text[0] == '.') {
        padded.assign(1, '0');
        padded.append(text);
        text = padded;
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const std::string digits(text);
        // Beyond the double range: infinity or zero (or a subnormal) as the C reader rounds it,
        // read in the C locale whatever the process uses.
        if (locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t{})) {
            value = strtod_l(digits.c_str(), nullptr, c);
            freelocale(c);
        }
    }
    return value;
}

void Double::encode(Coder* coder) {
    uint64_t bits = 0;
    std::memcpy(&bits, &m_value, sizeof bits);
    coder->writeByte(kDouble);
    coder->writeLong(static_cast<uint32_t>(bits >> 32));
    coder->writeLong(static_cast<uint32_t>(bits));
}

Integer::Integer(int32_t value) : m_value(value) {
    setValueType(kInteger);
}
Integer::Integer(std::string_view text) : m_value(hxtoi(text)) {
    setValueType(kInteger);
}

int32_t Integer::hxtoi(std::string_view text) {
    uint32_t base = 10;
    size_t i = 0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = BK_HexDigitValue(static_cast<unsigned char>(text[i]));
        if (digit < 0)
            break;
        value = value * base + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

void Integer::encode(Coder* coder) {
    coder->writeByte(kInteger);
    coder->writeLong(static_cast<uint32_t>(m_value));
}

TableIndex::TableIndex(int index) : m_index(index) {
    setValueType(kTableIndex);
}
void TableIndex::encode(Coder* coder) {
    if (m_index < 256) {
        coder->writeByte(8);
        coder->writeByte(m_index);
    } else {
        coder->writeByte(9);
        coder->writeWord(m_index);
    }
}

void Action::encode(Coder* coder) {
    coder->writeByte(code());
    if (code() == 0x9E)
        coder->writeWord(0);
}

ValueAction::ValueAction(int code, int operand) : m_operand(operand) {
    setCode(code);
    check(code, operand);
}

void ValueAction::check(int code, int operand) {
    if ((code == 0x99 || code == 0x9D) && (operand < -32768 || operand > 32767))
        throw CompileError{"a branch is too far for its 16-bit offset"};
    if (code == 0x94 && (operand < 0 || operand > 0xFFFF))
        throw CompileError{"a with block is too long for its 16-bit size"};
}

int ValueAction::getLength(int) {
    return lengthOf(code());
}

void ValueAction::encode(Coder* coder) {
    const int length = getLength(coder->version);
    coder->writeByte(code());
    coder->writeWord(length - 3);
    if (length == 4)
        coder->writeByte(m_operand);
    else
        coder->writeWord(m_operand);
}

StringAction::StringAction(int code, std::string first, std::string second)
    : m_first(std::move(first)), m_second(std::move(second)) {
    setCode(code);
    CheckRecordBody(getLength(0) - 3, "a URL");
}

int StringAction::getLength(int) {
    return static_cast<int>(m_first.size() + m_second.size()) + 5;
}

void StringAction::encode(Coder* coder) {
    coder->writeByte(code());
    coder->writeWord(getLength(coder->version) - 3);
    coder->writeString(m_first);
    coder->writeString(m_second);
}

TableAction::TableAction(std::vector<std::string> strings) : m_strings(std::move(strings)) {
    setCode(0x88);
}

int TableAction::getLength(int) {
    int length = 5;
    for (const std::string& s : m_strings)
        length += static_cast<int>(s.size()) + 1;
    return length;
}

void TableAction::encode(Coder* coder) {
    coder->writeByte(0x88);
    coder->writeWord(getLength(coder->version) - 3);
    coder->writeWord(static_cast<int>(m_strings.size()));
    for (const std::string& s : m_strings)
        coder->writeString(s);
}

Literal Literal::decode(const unsigned char* at, int size) {
    auto word = [&](int i) { return at[i] | (at[i + 1] << 8); };
    auto lword = [&](int i) {
        return static_cast<uint32_t>(word(i)) | (static_cast<uint32_t>(word(i + 2)) << 16);
    };
    switch (at[0]) {
    case Value::kString:
        // The last value of its record: its text runs to the record's end.
        return string(
            std::string_view(reinterpret_cast<const char*>(at + 1), static_cast<size_t>(size - 2)));
    case Value::kNull:
        return null();
    case Value::kVoid:
        return undefined();
    case Value::kRegister:
        return registerIndex(at[1]);
    case Value::kBoolean:
        return boolean(at[1] != 0);
    case Value::kDouble: {
        const uint64_t bits = (static_cast<uint64_t>(lword(1)) << 32) | lword(5);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return number(value);
    }
    case Value::kInteger:
        return integer(static_cast<int32_t>(lword(1)));
    case 8:
        return tableIndex(at[1]);
    default:
        return tableIndex(word(1));
    }
}

int Literal::encodedLength(const unsigned char* at, int size) {
    if (at[0] != Value::kString)
        return decode(at, size).length();
    const void* end = std::memchr(at + 1, 0, static_cast<size_t>(size - 1));
    return static_cast<int>(static_cast<const unsigned char*>(end) - at) + 1;
}

PushAction::PushAction(ValuePtr value) {
    setCode(0x96);
    append(std::move(value));
}

void PushAction::append(ValuePtr value) {
    const int length = value->getLength(0);
    Coder coder{0, nullptr, nullptr};
    coder.cursor = m_bytes.grow(length);
    value->encode(&coder);
}

int PushAction::getLength(int) {
    // A single value beyond 64 KiB cannot be split off into a Push of its own.
    CheckRecordBody(m_bytes.size(), "a pushed value");
    m_length = 3 + m_bytes.size();
    return m_length;
}

void PushAction::encode(Coder* coder) {
    coder->writeByte(0x96);
    coder->writeWord(m_bytes.size());
    std::memcpy(coder->cursor, m_bytes.data(), static_cast<size_t>(m_bytes.size()));
    coder->cursor += m_bytes.size();
}

NewFunctionAction::NewFunctionAction(std::string name, std::vector<std::string> arguments,
                                     CodingList body)
    : m_name(std::move(name)), m_arguments(std::move(arguments)), m_body(std::move(body)) {
    setCode(0x9B);
}

int NewFunctionAction::getLength(int version) {
    m_header = static_cast<int>(m_name.size()) + 8;
    for (const std::string& a : m_arguments)
        m_header += static_cast<int>(a.size()) + 1;
    m_bodyLength = 0;
    for (CodingPtr& c : m_body)
        m_bodyLength += c->getLength(version);
    CheckRecordBody(m_header - 3, "a function header");
    CheckRecordBody(m_bodyLength, "a function body");
    m_length = m_header + m_bodyLength;
    return m_length;
}

void NewFunctionAction::encode(Coder* coder) {
    coder->writeByte(0x9B);
    coder->writeWord(m_header - 3);
    coder->writeString(m_name);
    coder->writeWord(static_cast<int>(m_arguments.size()));
    for (const std::string& a : m_arguments)
        coder->writeString(a);
    coder->writeWord(m_bodyLength);
    for (CodingPtr& c : m_body)
        c->encode(coder);
}

ASEvent::ASEvent(int kind, int flags, CodingList actions)
    : m_flags(flags), m_actions(std::move(actions)) {
    setCode(kind);
}

int ASEvent::getLength(int version) {
    int length = 0;
    if (code() == 12)
        length = version < 6 ? 7 : ((m_flags & 0x20000) ? 10 : 9);
    else
        length = 3;
    for (CodingPtr& c : m_actions)
        length += c->getLength(version);
    m_length = length;
    return m_length;
}

void ASEvent::encode(Coder* coder) {
    if (code() == 12) {
        const bool wide = coder->version >= 6;
        if (wide)
            coder->writeLong(static_cast<uint32_t>(m_flags));
        else
            coder->writeWord(m_flags & 0xFFFF);
        coder->writeLong(static_cast<uint32_t>(m_length - (wide ? 4 : 2) - 4));
        if (wide && (m_flags & 0x20000))
            coder->writeByte(m_keyCode);
    } else {
        coder->writeWord(m_flags & 0xFFFF);
    }
    for (CodingPtr& c : m_actions)
        c->encode(coder);
    coder->writeByte(0);
}

ASArray::ASArray(int kind, CodingList items) : m_items(std::move(items)) {
    setCode(kind);
}

int ASArray::getLength(int version) {
    int length = code() == 3 ? (version < 6 ? 6 : 10) : 0;
    m_itemLengths.clear();
    for (CodingPtr& c : m_items) {
        const int item = c->getLength(version);
        m_itemLengths.push_back(item);
        if (code() == 2) {
            // The offset to the next record is 16 bits wide.
            CheckRecordBody(item + 2, "a button handler");
            length += 2;
        }
        length += item;
    }
    m_length = length;
    return m_length;
}

void ASArray::encode(Coder* coder) {
    const bool wide = coder->version >= 6;
    if (code() == 3) {
        coder->writeWord(0);
        uint32_t all = 0;
        for (CodingPtr& c : m_items)
            if (auto* event = dynamic_cast<ASEvent*>(c.get()))
                all |= static_cast<uint32_t>(event->flags());
        if (wide)
            coder->writeLong(all);
        else
            coder->writeWord(static_cast<int>(all & 0xFFFF));
    }
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (code() == 2)
            coder->writeWord(i + 1 < m_items.size() ? m_itemLengths[i] + 2 : 0);
        m_items[i]->encode(coder);
    }
    if (code() == 3) {
        if (wide)
            coder->writeLong(0);
        else
            coder->writeWord(0);
    }
}

int actionLength(const CodingList& list) {
    int length = 0;
    for (const CodingPtr& c : list)
        length += c->getLength(0);
    return length;
}

} // namespace translate
