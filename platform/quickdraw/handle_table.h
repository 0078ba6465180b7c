// Checked handles: a pointer-sized value naming a slot of a table with a generation count, so
// that a null, disposed or mistyped handle is recognised instead of followed.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tbx::qd {

static_assert(sizeof(std::uintptr_t) == 8, "handles pack a 32-bit generation beside the slot");

// One table may hand out several views of an entry (a port, its pixel map, its bit map);
// the kind is part of the handle so that one view is not taken for another.
template <typename T>
class HandleTable {
public:
    static constexpr std::uintptr_t kMaxSlots = (std::uintptr_t(1) << 24) - 1;

    // Null when the table is full.
    std::uintptr_t Add(std::unique_ptr<T> entry, unsigned kind) {
        std::lock_guard<std::mutex> lock(_mutex);
        std::uintptr_t index;
        if (!_free.empty()) {
            index = _free.back();
            _free.pop_back();
        } else {
            if (_slots.size() >= kMaxSlots)
                return 0;
            _slots.emplace_back();
            index = _slots.size() - 1;
        }
        _slots[index].entry = std::move(entry);
        return Encode(index, _slots[index].generation, kind);
    }

    // The entry named by a handle of any kind given in `kinds` (a bit per kind), or null.
    T* Find(const void* handle, unsigned kinds) const {
        std::lock_guard<std::mutex> lock(_mutex);
        const Slot* slot = Locate(reinterpret_cast<std::uintptr_t>(handle), kinds);
        return slot ? slot->entry.get() : nullptr;
    }

    // The same entry under another kind of handle; 0 when the handle is not live.
    std::uintptr_t View(const void* handle, unsigned kinds, unsigned kind) const {
        std::lock_guard<std::mutex> lock(_mutex);
        std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
        if (!Locate(value, kinds))
            return 0;
        return Encode((value & kIndexMask) - 1, std::uint32_t(value >> 32), kind);
    }

    // False when the handle is not live; every handle to the entry goes stale.
    bool Remove(const void* handle, unsigned kinds) {
        std::unique_ptr<T> doomed;
        std::lock_guard<std::mutex> lock(_mutex);
        std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
        Slot* slot = const_cast<Slot*>(Locate(value, kinds));
        if (!slot)
            return false;
        doomed = std::move(slot->entry);
        ++slot->generation;
        // A slot whose generation would wrap is retired rather than reused.
        if (slot->generation != 0)
            _free.push_back((value & kIndexMask) - 1);
        return true;
    }

private:
    static constexpr std::uintptr_t kIndexMask = (std::uintptr_t(1) << 24) - 1;

    struct Slot {
        std::uint32_t generation = 1;
        std::unique_ptr<T> entry;
    };

    static std::uintptr_t Encode(std::uintptr_t index, std::uint32_t generation, unsigned kind) {
        return (std::uintptr_t(generation) << 32) | (std::uintptr_t(kind & 0xFF) << 24) |
               (index + 1);
    }

    const Slot* Locate(std::uintptr_t value, unsigned kinds) const {
        std::uintptr_t index = value & kIndexMask;
        unsigned kind = unsigned(value >> 24) & 0xFF;
        if (index == 0 || index > _slots.size() || kind >= 32 || !(kinds & (1u << kind)))
            return nullptr;
        const Slot& slot = _slots[index - 1];
        if (!slot.entry || slot.generation != std::uint32_t(value >> 32))
            return nullptr;
        return &slot;
    }

    mutable std::mutex _mutex;
    std::vector<Slot> _slots;
    std::vector<std::uintptr_t> _free;
};

} // namespace tbx::qd
