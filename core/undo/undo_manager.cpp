#include "core/undo/undo_manager.h"

#include <iterator>

CBK_UndoManager::~CBK_UndoManager() {
    Reset();
}

void CBK_UndoManager::_Drop(std::size_t from, std::size_t to) {
    if (from >= to)
        return;
    const auto first = _actions.begin() + static_cast<std::ptrdiff_t>(from);
    const auto last = _actions.begin() + static_cast<std::ptrdiff_t>(to);
    if (_running)
        _retired.insert(_retired.end(), std::make_move_iterator(first),
                        std::make_move_iterator(last));
    _actions.erase(first, last);
}

template <typename F>
void CBK_UndoManager::_RunAction(CBK_UndoAction* action, F call) {
    const bool outer = !_running;
    _running = true;
    struct Done {
        CBK_UndoManager& manager;
        bool outer;
        ~Done() {
            if (!outer)
                return;
            manager._running = false;
            manager._retired.clear();
        }
    } done{*this, outer};
    call(*action);
}

void CBK_UndoManager::AddAction(CBK_UndoAction* action) {
    if (!action)
        return;
    _Drop(static_cast<std::size_t>(_position), _actions.size());
    _actions.emplace_back(action);
    const std::size_t limit = _limit > 0 ? static_cast<std::size_t>(_limit) : 0;
    if (_actions.size() > limit)
        _Drop(0, _actions.size() - limit);
    _position = static_cast<int32_t>(_actions.size());
    _saved = false;
}

void CBK_UndoManager::Undo() {
    if (!CanUndo())
        return;
    --_position;
    _RunAction(_actions[static_cast<std::size_t>(_position)].get(),
               [](CBK_UndoAction& action) { action.Undo(); });
}

void CBK_UndoManager::Redo() {
    if (!CanRedo())
        return;
    CBK_UndoAction* action = _actions[static_cast<std::size_t>(_position)].get();
    ++_position;
    _RunAction(action, [](CBK_UndoAction& action) { action.Run(); });
}

bool CBK_UndoManager::CanUndo() const {
    return _position >= 1;
}

bool CBK_UndoManager::CanRedo() const {
    return _position >= 0 && static_cast<std::size_t>(_position) < _actions.size();
}

void CBK_UndoManager::Reset() {
    _Drop(0, _actions.size());
    _position = 0;
    _saved = false;
}
