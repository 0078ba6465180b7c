#include "ascompiler/codegen/as_info.h"

#include "ascompiler/codegen/name_hash.h"

#include <algorithm>

namespace translate {
namespace {

// A ConstantPool record holds its count and its length in 16 bits each.
constexpr size_t kMaxWideStrings = 0xFFFF;
constexpr int kMaxPoolBytes = 0xFFFF - 2;

} // namespace

ASInfo::ASInfo(int v) : version(v), m_slots(64, Entry{0, 0}) {}

inline size_t ASInfo::Slot(std::string_view s, uint32_t hash) const {
    const size_t mask = m_slots.size() - 1;
    size_t at = hash & mask;
    for (; m_slots[at].index; at = (at + 1) & mask) {
        if (m_slots[at].hash != hash)
            continue;
        const std::string& text = pool[static_cast<size_t>(m_slots[at].index - 1)];
        if (text.size() == s.size() && SameName(text.data(), s.data(), s.size()))
            break;
    }
    return at;
}

void ASInfo::Grow() {
    std::vector<Entry> old(m_slots.size() * 2, Entry{0, 0});
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Entry& e : old) {
        if (!e.index)
            continue;
        size_t at = e.hash & mask;
        while (m_slots[at].index)
            at = (at + 1) & mask;
        m_slots[at] = e;
    }
}

void ASInfo::addString(std::string_view s) {
    // One lookup both finds a repeat and places a new string.
    const uint32_t hash = NameHash(s);
    const size_t at = Slot(s, hash);
    if (m_slots[at].index) {
        repeated = 1;
        return;
    }
    const size_t limit = version < 6 ? 256 : kMaxWideStrings;
    const int bytes = static_cast<int>(s.size()) + 1;
    if (pool.size() >= limit || m_poolBytes + bytes > kMaxPoolBytes)
        return;
    pool.emplace_back(s);
    m_poolBytes += bytes;
    m_slots[at] = Entry{hash, static_cast<int32_t>(pool.size())};
    // At most half full, so that probes stay short and always end.
    if (pool.size() * 2 > m_slots.size())
        Grow();
}

int ASInfo::indexOf(std::string_view s) const {
    const Entry& e = m_slots[Slot(s, NameHash(s))];
    return e.index - 1;
}

bool ASInfo::inContext(const std::string& word) const {
    return std::find(context.begin(), context.end(), word) != context.end();
}

} // namespace translate
