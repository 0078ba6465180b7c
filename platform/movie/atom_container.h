// QuickTime atom containers held in a handle: a 12-byte header, then the root atom 'sean'
// whose children are the top-level atoms. Each atom has a 20-byte big-endian header (size,
// type, id, reserved, child count, reserved) followed by its data or its children.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/types.h"

namespace tbx {

using QTAtomContainer = Handle;

struct QTAtomNode {
    uint32_t type = 0;
    uint32_t id = 1;
    std::vector<uint8_t> data; // leaf atoms only
    std::vector<QTAtomNode> children;

    // The index-th (from 1) child of the type; null when there is none.
    QTAtomNode* Find(uint32_t childType, int index = 1);
    // Appends a child; returns it.
    QTAtomNode& Insert(uint32_t childType, std::vector<uint8_t> bytes = {});
    // Removes the first child of the type; false when there is none.
    bool Remove(uint32_t childType);
};

// The root atom of the container; false for a null, empty or damaged container (sizes that
// leave their parent, nesting beyond 32 levels).
bool ReadAtomContainer(QTAtomContainer container, QTAtomNode& root);
// Writes the tree back into the handle; false when the handle cannot be resized.
bool WriteAtomContainer(const QTAtomNode& root, QTAtomContainer container);
// A new container holding `root`'s children; null on failure. Free with DisposeHandle.
QTAtomContainer NewAtomContainer(const QTAtomNode& root);

} // namespace tbx
