// CBK_UndoAction: one undoable change, which knows how to redo and undo itself.
#pragma once

class CBK_UndoAction {
public:
    CBK_UndoAction() = default;
    CBK_UndoAction(const CBK_UndoAction&) = delete;
    CBK_UndoAction& operator=(const CBK_UndoAction&) = delete;
    virtual ~CBK_UndoAction() = default;

    // Does the change again.
    virtual void Run() = 0;
    virtual void Undo() = 0;
};
