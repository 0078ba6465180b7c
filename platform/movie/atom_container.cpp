#include "platform/movie/atom_container.h"

#include <cstring>

#include "platform/memory.h"

namespace tbx {

namespace {

constexpr std::size_t kContainerHeader = 12;
constexpr std::size_t kAtomHeader = 20;
constexpr int kMaxDepth = 32;

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (24 - 8 * i)));
}

// Reads the atom at `at`, which must lie within [at, end).
bool ReadAtom(const uint8_t* bytes, std::size_t at, std::size_t end, int depth, QTAtomNode& atom,
              std::size_t& size) {
    if (depth > kMaxDepth || end - at < kAtomHeader)
        return false;
    size = Get32(bytes + at);
    if (size < kAtomHeader || size > end - at)
        return false;
    atom.type = Get32(bytes + at + 4);
    atom.id = Get32(bytes + at + 8);
    const uint32_t childCount = uint32_t(bytes[at + 14]) << 8 | bytes[at + 15];
    std::size_t inner = at + kAtomHeader;
    const std::size_t stop = at + size;
    if (childCount == 0) {
        atom.data.assign(bytes + inner, bytes + stop);
        return true;
    }
    for (uint32_t i = 0; i < childCount; ++i) {
        QTAtomNode child;
        std::size_t childSize = 0;
        if (!ReadAtom(bytes, inner, stop, depth + 1, child, childSize))
            return false;
        atom.children.push_back(std::move(child));
        inner += childSize;
    }
    return true;
}

void WriteAtom(const QTAtomNode& atom, std::vector<uint8_t>& out) {
    const std::size_t start = out.size();
    Put32(out, 0);
    Put32(out, atom.type);
    Put32(out, atom.id);
    out.push_back(0);
    out.push_back(0);
    out.push_back(uint8_t(atom.children.size() >> 8));
    out.push_back(uint8_t(atom.children.size()));
    Put32(out, 0);
    if (atom.children.empty())
        out.insert(out.end(), atom.data.begin(), atom.data.end());
    for (const QTAtomNode& child : atom.children)
        WriteAtom(child, out);
    const uint32_t size = uint32_t(out.size() - start);
    for (int i = 0; i < 4; ++i)
        out[start + i] = uint8_t(size >> (24 - 8 * i));
}

} // namespace

QTAtomNode* QTAtomNode::Find(uint32_t childType, int index) {
    for (QTAtomNode& child : children)
        if (child.type == childType && --index == 0)
            return &child;
    return nullptr;
}

QTAtomNode& QTAtomNode::Insert(uint32_t childType, std::vector<uint8_t> bytes) {
    data.clear();
    QTAtomNode child;
    child.type = childType;
    child.data = std::move(bytes);
    children.push_back(std::move(child));
    return children.back();
}

bool QTAtomNode::Remove(uint32_t childType) {
    for (auto it = children.begin(); it != children.end(); ++it)
        if (it->type == childType) {
            children.erase(it);
            return true;
        }
    return false;
}

bool ReadAtomContainer(QTAtomContainer container, QTAtomNode& root) {
    if (!container || !*container)
        return false;
    const std::size_t size = GetHandleSize(container);
    if (size < kContainerHeader + kAtomHeader)
        return false;
    root = QTAtomNode{};
    std::size_t used = 0;
    return ReadAtom(reinterpret_cast<const uint8_t*>(*container), kContainerHeader, size, 0, root,
                    used);
}

bool WriteAtomContainer(const QTAtomNode& root, QTAtomContainer container) {
    std::vector<uint8_t> bytes(kContainerHeader, 0);
    QTAtomNode top = root;
    top.type = FourCC("sean");
    WriteAtom(top, bytes);
    if (!container || SetHandleSize(container, bytes.size()) != noErr)
        return false;
    std::memcpy(*container, bytes.data(), bytes.size());
    return true;
}

QTAtomContainer NewAtomContainer(const QTAtomNode& root) {
    QTAtomContainer container = NewHandle(0);
    if (container && !WriteAtomContainer(root, container)) {
        DisposeHandle(container);
        return nullptr;
    }
    return container;
}

} // namespace tbx
