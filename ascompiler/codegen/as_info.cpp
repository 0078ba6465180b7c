#include "ascompiler/codegen/as_info.h"

#include <algorithm>

namespace translate {
namespace {

// A ConstantPool record holds its count and its length in 16 bits each.
constexpr size_t kMaxWideStrings = 0xFFFF;
constexpr int kMaxPoolBytes = 0xFFFF - 2;

} // namespace

ASInfo::ASInfo(int v) : version(v) {}

void ASInfo::addString(const std::string& s) {
    // One lookup both finds a repeat and places a new string.
    const auto [at, added] = m_index.try_emplace(s, static_cast<int>(pool.size()));
    if (!added) {
        repeated = 1;
        return;
    }
    const size_t limit = version < 6 ? 256 : kMaxWideStrings;
    const int bytes = static_cast<int>(s.size()) + 1;
    if (pool.size() >= limit || m_poolBytes + bytes > kMaxPoolBytes) {
        m_index.erase(at);
        return;
    }
    pool.push_back(s);
    m_poolBytes += bytes;
}

int ASInfo::indexOf(const std::string& s) const {
    auto it = m_index.find(s);
    return it == m_index.end() ? -1 : it->second;
}

bool ASInfo::inContext(const std::string& word) const {
    return std::find(context.begin(), context.end(), word) != context.end();
}

} // namespace translate
