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
    if (m_index.count(s)) {
        repeated = 1;
        return;
    }
    const size_t limit = version < 6 ? 256 : kMaxWideStrings;
    const int bytes = static_cast<int>(s.size()) + 1;
    if (pool.size() >= limit || m_poolBytes + bytes > kMaxPoolBytes)
        return;
    m_index.emplace(s, static_cast<int>(pool.size()));
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
