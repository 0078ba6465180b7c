// TBK_Event<T>: a typed signal that owns its handlers and calls each once per Fire.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "core/events/delegate.h"

template <typename T>
class TBK_Event {
public:
    using Delegate = TBK_Delegate1<T>;

    TBK_Event() = default;
    TBK_Event(const TBK_Event&) = delete;
    TBK_Event& operator=(const TBK_Event&) = delete;

    // A handler may destroy the event; Fire notices and touches nothing of it afterwards.
    virtual ~TBK_Event() {
        RemoveAllHandlers();
        if (_frame)
            _frame->destroyed = true;
    }

    // Takes ownership. A null or already bound delegate is refused (false; nothing taken).
    // A handler added while firing is first called by the next Fire.
    bool AddHandler(Delegate* handler) {
        if (!handler || _Owns(_handlers, handler) || (_frame && _Owns(_frame->retired, handler)))
            return false;
        _handlers.emplace_back(handler);
        return true;
    }

    // Calls every handler present when firing began, in the order they were added; false
    // (nothing called) while already firing, when disabled or without handlers.
    bool Fire(T arg) {
        if (_firing || !_enabled || _handlers.empty())
            return false;

        _FireFrame frame;
        _frame = &frame;
        _firing = true;
        _FireGuard guard{this, frame};
        const std::size_t count = _handlers.size();
        for (std::size_t i = 0; i < count && !frame.cleared; ++i) {
            _handlers[i]->Call(arg);
            if (frame.destroyed)
                break;
        }
        return true;
    }

    // Deletes every handler. While firing, the deletion waits until Fire is done, since one
    // of them may be the caller.
    void RemoveAllHandlers() {
        if (_frame) {
            for (auto& handler : _handlers)
                _frame->retired.push_back(std::move(handler));
            _frame->cleared = true;
        }
        _handlers.clear();
    }

    void Enable(bool enabled) { _enabled = enabled; }
    bool IsEnabled() const { return _enabled; }

private:
    using Owned = std::vector<std::unique_ptr<Delegate>>;

    // Lives on the stack of the running Fire, which outlives any handler it calls.
    struct _FireFrame {
        Owned retired;
        bool cleared = false;
        bool destroyed = false;
    };

    struct _FireGuard {
        TBK_Event* event;
        _FireFrame& frame;
        ~_FireGuard() {
            if (frame.destroyed)
                return;
            event->_firing = false;
            event->_frame = nullptr;
        }
    };

    static bool _Owns(const Owned& list, const Delegate* handler) {
        return std::any_of(list.begin(), list.end(),
                           [handler](const auto& owned) { return owned.get() == handler; });
    }

    bool _firing = false;
    bool _enabled = true;
    Owned _handlers;
    _FireFrame* _frame = nullptr;
};
