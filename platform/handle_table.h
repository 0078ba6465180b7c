// Checked handles: a pointer-sized value naming a slot of a table with a generation count, so
// that a null, disposed or mistyped handle is recognised and refused instead of followed.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tbx {

static_assert(sizeof(std::uintptr_t) == 8, "handles pack a 32-bit generation beside the slot");

// A handle is generation << 32 | kind << 24 | (slot + 1). One table may hand out several
// views of an entry (a port, its pixel map, its bit map); the kind is part of the handle so
// that one view is not taken for another.
template <typename T>
class HandleTable {
public:
    static constexpr std::uintptr_t kMaxSlots = (std::uintptr_t(1) << 24) - 1;

    // 0 when the table is full.
    std::uintptr_t Add(std::unique_ptr<T> entry, unsigned kind = 0) {
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
    T* Find(const void* handle, unsigned kinds = 1) const {
        std::lock_guard<std::mutex> lock(_mutex);
        const Slot* slot = Locate(reinterpret_cast<std::uintptr_t>(handle), kinds);
        return slot ? slot->entry.get() : nullptr;
    }

    // The same entry under another kind of handle; 0 when the handle is not live.
    std::uintptr_t View(const void* handle, unsigned kinds, unsigned kind) const {
        std::lock_guard<std::mutex> lock(_mutex);
        const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
        if (!Locate(value, kinds))
            return 0;
        return Encode((value & kIndexMask) - 1, std::uint32_t(value >> 32), kind);
    }

    // Takes the entry out (null when the handle is not live); every handle to it goes stale.
    std::unique_ptr<T> Take(const void* handle, unsigned kinds = 1) {
        std::lock_guard<std::mutex> lock(_mutex);
        const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
        Slot* slot = const_cast<Slot*>(Locate(value, kinds));
        if (!slot)
            return nullptr;
        std::unique_ptr<T> entry = std::move(slot->entry);
        ++slot->generation;
        // A slot whose generation would wrap is retired rather than reused.
        if (slot->generation != 0)
            _free.push_back((value & kIndexMask) - 1);
        return entry;
    }

    // False when the handle is not live. The entry is destroyed after the table is unlocked,
    // so its destructor may use the table.
    bool Remove(const void* handle, unsigned kinds = 1) {
        std::unique_ptr<T> doomed = Take(handle, kinds);
        return doomed != nullptr;
    }

    // Every live entry's handle of the given kind, in slot order.
    std::vector<std::uintptr_t> Handles(unsigned kind = 0) const {
        std::lock_guard<std::mutex> lock(_mutex);
        std::vector<std::uintptr_t> out;
        for (std::uintptr_t i = 0; i < _slots.size(); ++i)
            if (_slots[i].entry)
                out.push_back(Encode(i, _slots[i].generation, kind));
        return out;
    }

    std::size_t Count() const {
        std::lock_guard<std::mutex> lock(_mutex);
        return _slots.size() - _free.size();
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
        const std::uintptr_t index = value & kIndexMask;
        const unsigned kind = unsigned(value >> 24) & 0xFF;
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

// A table whose handles are one opaque pointer type of the toolbox (WindowRef, ...).
template <typename Ref, typename T>
class TypedHandleTable {
public:
    Ref Add(std::unique_ptr<T> object) {
        return reinterpret_cast<Ref>(_table.Add(std::move(object)));
    }
    // Null for a null, stale or foreign handle.
    T* Get(Ref ref) const { return _table.Find(reinterpret_cast<const void*>(ref)); }
    // Takes the object out; the handle and every copy of it go stale.
    std::unique_ptr<T> Remove(Ref ref) { return _table.Take(reinterpret_cast<const void*>(ref)); }
    std::vector<Ref> Handles() const {
        std::vector<Ref> out;
        for (std::uintptr_t value : _table.Handles())
            out.push_back(reinterpret_cast<Ref>(value));
        return out;
    }
    std::size_t Count() const { return _table.Count(); }

private:
    HandleTable<T> _table;
};

} // namespace tbx
