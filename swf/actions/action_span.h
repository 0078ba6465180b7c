// CBK_SwfActionSpan: the records of a list that a branch jumps over, seen through the list
// rather than copied out of it: where they begin, how many, and in which direction.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <vector>

#include "swf/actions/action_record.h"

namespace ravuz {

using CBK_SwfActionVector = std::vector<std::unique_ptr<CBK_SwfActionRecord>>;

class CBK_SwfActionSpan {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CBK_SwfActionRecord*;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = CBK_SwfActionRecord*;

        Iterator() = default;
        Iterator(const CBK_SwfActionSpan* span, std::size_t k) : _span(span), _k(k) {}
        CBK_SwfActionRecord* operator*() const { return (*_span)[_k]; }
        Iterator& operator++() {
            ++_k;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++_k;
            return before;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        const CBK_SwfActionSpan* _span = nullptr;
        std::size_t _k = 0;
    };

    CBK_SwfActionSpan() = default;
    // `count` records of `list` from `first` on, towards its end, or (backward) its start.
    CBK_SwfActionSpan(const CBK_SwfActionVector& list, std::size_t first, std::size_t count,
                      bool backward)
        : _list(&list), _first(static_cast<uint32_t>(first)), _count(static_cast<uint32_t>(count)),
          _backward(backward) {}

    // Never more than the list holds now.
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    // The k-th record spanned, in the order the branch passes them.
    CBK_SwfActionRecord* operator[](std::size_t k) const {
        const std::size_t first = _first;
        return (*_list)[_backward ? first - k : first + k].get();
    }
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }

    // The bytes the records take as they stand.
    uint64_t GetSize() const;

private:
    // Every branch holds one: 32-bit places keep it as small as a list of pointers (a list
    // of 2^32 records would take hundreds of gigabytes).
    const CBK_SwfActionVector* _list = nullptr;
    uint32_t _first = 0;
    uint32_t _count = 0;
    bool _backward = false;
};

inline std::size_t CBK_SwfActionSpan::size() const {
    if (!_list || _first >= _list->size())
        return 0;
    return _backward ? std::min<std::size_t>(_count, _first + 1)
                     : std::min<std::size_t>(_count, _list->size() - _first);
}

inline uint64_t CBK_SwfActionSpan::GetSize() const {
    uint64_t sum = 0;
    for (const CBK_SwfActionRecord* record : *this)
        sum += record->GetSize();
    return sum;
}

} // namespace ravuz
