// A table of objects reached through checked handles: a handle packs a slot index with the
// slot's generation, so a handle whose object has gone no longer matches and is refused.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tbx::windows_detail {

template <typename Ref, typename T>
class HandleTable {
public:
    Ref Add(std::unique_ptr<T> object) {
        uint32_t index;
        if (!_free.empty()) {
            index = _free.back();
            _free.pop_back();
        } else {
            index = static_cast<uint32_t>(_slots.size());
            _slots.emplace_back();
        }
        _slots[index].object = std::move(object);
        return Encode(index, _slots[index].generation);
    }

    // Null for a null, stale or foreign handle.
    T* Get(Ref ref) const {
        uint32_t index, generation;
        if (!Decode(ref, index, generation))
            return nullptr;
        const Slot& slot = _slots[index];
        return slot.generation == generation ? slot.object.get() : nullptr;
    }

    // Takes the object out; the handle and every copy of it go stale.
    std::unique_ptr<T> Remove(Ref ref) {
        uint32_t index, generation;
        if (!Decode(ref, index, generation) || _slots[index].generation != generation ||
            !_slots[index].object)
            return nullptr;
        Slot& slot = _slots[index];
        std::unique_ptr<T> object = std::move(slot.object);
        ++slot.generation;
        _free.push_back(index);
        return object;
    }

    // Every live handle, in slot order.
    std::vector<Ref> Handles() const {
        std::vector<Ref> out;
        for (uint32_t i = 0; i < _slots.size(); ++i)
            if (_slots[i].object)
                out.push_back(Encode(i, _slots[i].generation));
        return out;
    }

    std::size_t Count() const { return _slots.size() - _free.size(); }

private:
    struct Slot {
        uint32_t generation = 1;
        std::unique_ptr<T> object;
    };

    static Ref Encode(uint32_t index, uint32_t generation) {
        const uintptr_t value = (uintptr_t(generation) << 32) | uintptr_t(index + 1);
        return reinterpret_cast<Ref>(value);
    }

    bool Decode(Ref ref, uint32_t& index, uint32_t& generation) const {
        const uintptr_t value = reinterpret_cast<uintptr_t>(ref);
        const uint32_t low = static_cast<uint32_t>(value & 0xFFFFFFFFu);
        if (low == 0 || low > _slots.size())
            return false;
        index = low - 1;
        generation = static_cast<uint32_t>(value >> 32);
        return true;
    }

    std::vector<Slot> _slots;
    std::vector<uint32_t> _free;
};

} // namespace tbx::windows_detail
