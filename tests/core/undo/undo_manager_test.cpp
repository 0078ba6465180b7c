#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/undo/undo_manager.h"

namespace {

// Writes every Run, Undo and deletion into a shared log.
class LoggedAction : public CBK_UndoAction {
public:
    LoggedAction(std::vector<std::string>& log, int id) : _log(log), _id(id) {}
    ~LoggedAction() override { _log.push_back("delete" + std::to_string(_id)); }
    void Run() override { _log.push_back("run" + std::to_string(_id)); }
    void Undo() override { _log.push_back("undo" + std::to_string(_id)); }

private:
    std::vector<std::string>& _log;
    int _id;
};

using Log = std::vector<std::string>;

TEST(UndoManagerTest, EmptyManagerDoesNothing) {
    CBK_UndoManager manager;
    EXPECT_FALSE(manager.CanUndo());
    EXPECT_FALSE(manager.CanRedo());
    manager.Undo();
    manager.Redo();
    EXPECT_FALSE(manager.CanUndo());
    manager.AddAction(nullptr);
    EXPECT_FALSE(manager.CanUndo());
}

TEST(UndoManagerTest, DefaultLimitKeepsTheLastFive) {
    Log log;
    CBK_UndoManager manager;
    for (int i = 1; i <= 6; ++i)
        manager.AddAction(new LoggedAction(log, i));
    EXPECT_EQ(log, (Log{"delete1"}));
    log.clear();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(manager.CanUndo());
        manager.Undo();
    }
    EXPECT_FALSE(manager.CanUndo());
    EXPECT_EQ(log, (Log{"undo6", "undo5", "undo4", "undo3", "undo2"}));
}

TEST(UndoManagerTest, UndoAndRedoWalkTheHistory) {
    Log log;
    CBK_UndoManager manager;
    for (int i = 1; i <= 3; ++i)
        manager.AddAction(new LoggedAction(log, i));
    EXPECT_FALSE(manager.CanRedo()); // nothing to redo right after an edit
    manager.Redo();
    EXPECT_TRUE(log.empty());
    manager.Undo();
    manager.Undo();
    EXPECT_TRUE(manager.CanRedo());
    manager.Redo();
    manager.Redo();
    EXPECT_FALSE(manager.CanRedo());
    manager.Redo();
    EXPECT_EQ(log, (Log{"undo3", "undo2", "run2", "run3"}));
}

TEST(UndoManagerTest, NewActionDropsWhatWasUndone) {
    Log log;
    CBK_UndoManager manager;
    for (int i = 1; i <= 3; ++i)
        manager.AddAction(new LoggedAction(log, i));
    manager.Undo();
    manager.Undo();
    manager.AddAction(new LoggedAction(log, 4));
    EXPECT_EQ(log, (Log{"undo3", "undo2", "delete2", "delete3"}));
    EXPECT_FALSE(manager.CanRedo());
    log.clear();
    manager.Undo();
    manager.Undo();
    EXPECT_FALSE(manager.CanUndo());
    EXPECT_EQ(log, (Log{"undo4", "undo1"}));
}

TEST(UndoManagerTest, LimitAppliesFromTheNextAction) {
    Log log;
    CBK_UndoManager manager;
    for (int i = 1; i <= 4; ++i)
        manager.AddAction(new LoggedAction(log, i));
    manager.SetMaxUndo(2);
    EXPECT_TRUE(log.empty());
    manager.AddAction(new LoggedAction(log, 5));
    EXPECT_EQ(log, (Log{"delete1", "delete2", "delete3"}));
    log.clear();
    manager.Undo();
    manager.Undo();
    EXPECT_FALSE(manager.CanUndo());
    EXPECT_EQ(log, (Log{"undo5", "undo4"}));
}

TEST(UndoManagerTest, LimitBelowOneKeepsNothing) {
    for (int32_t limit : {0, -1, INT32_MIN}) {
        Log log;
        CBK_UndoManager manager;
        manager.AddAction(new LoggedAction(log, 1));
        manager.SetMaxUndo(limit);
        manager.AddAction(new LoggedAction(log, 2));
        EXPECT_EQ(log, (Log{"delete1", "delete2"})) << limit;
        EXPECT_FALSE(manager.CanUndo());
        EXPECT_FALSE(manager.CanRedo());
    }
}

TEST(UndoManagerTest, ResetAndDestructionDeleteEveryAction) {
    Log log;
    {
        CBK_UndoManager manager;
        manager.AddAction(new LoggedAction(log, 1));
        manager.AddAction(new LoggedAction(log, 2));
        manager.Reset();
        EXPECT_EQ(log, (Log{"delete1", "delete2"}));
        EXPECT_FALSE(manager.CanUndo());
        manager.AddAction(new LoggedAction(log, 3));
        manager.AddActionSave();
        manager.Undo();
    }
    EXPECT_EQ(log, (Log{"delete1", "delete2", "undo3", "delete3"}));
}

// An undo that records a new change while it runs.
class RecordingAction : public CBK_UndoAction {
public:
    RecordingAction(CBK_UndoManager& manager, Log& log) : _manager(manager), _log(log) {}
    ~RecordingAction() override { _log.push_back("delete-recording"); }
    void Run() override { _log.push_back("run-recording"); }
    void Undo() override {
        _manager.AddAction(new LoggedAction(_log, 9));
        _log.push_back("undo-recording-done"); // still alive here
    }

private:
    CBK_UndoManager& _manager;
    Log& _log;
};

TEST(UndoManagerTest, ActionDroppedWhileRunningIsFreedAfterIt) {
    Log log;
    CBK_UndoManager manager;
    manager.AddAction(new RecordingAction(manager, log));
    manager.Undo();
    EXPECT_EQ(log, (Log{"undo-recording-done", "delete-recording"}));
    log.clear();
    manager.Undo();
    EXPECT_EQ(log, (Log{"undo9"}));
}

} // namespace
