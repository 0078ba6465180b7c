// CBK_UndoManager: a bounded history of undoable actions and the position in it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/undo/undo_action.h"

class CBK_UndoManager {
public:
    CBK_UndoManager() = default;
    CBK_UndoManager(const CBK_UndoManager&) = delete;
    CBK_UndoManager& operator=(const CBK_UndoManager&) = delete;
    ~CBK_UndoManager();

    // Takes ownership (a null action is ignored). Actions that were undone are dropped first:
    // a new change ends the redo history. Then the oldest are dropped down to the limit.
    void AddAction(CBK_UndoAction* action);

    void Undo();
    void Redo();
    bool CanUndo() const;
    bool CanRedo() const;

    // Applies from the next AddAction. A limit below 1 keeps no history at all.
    void SetMaxUndo(int32_t limit) { _limit = limit; }

    void AddActionSave() { _saved = true; }

    void Reset();

private:
    // Actions dropped while one of them runs are freed once it has returned.
    void _Drop(std::size_t from, std::size_t to);
    template <typename F>
    void _RunAction(CBK_UndoAction* action, F call);

    std::vector<std::unique_ptr<CBK_UndoAction>> _actions;
    int32_t _limit = 5;
    int32_t _position = 0;
    bool _saved = false;
    bool _running = false;
    std::vector<std::unique_ptr<CBK_UndoAction>> _retired;
};
