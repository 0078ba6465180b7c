#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/events/event.h"

namespace {

// Records every call it gets, tagged with its own name.
class Listener {
public:
    Listener(std::vector<std::string>& log, std::string name) : _log(log), _name(std::move(name)) {}
    virtual ~Listener() = default;

    void OnValue(int32_t value) { _log.push_back(_name + ":" + std::to_string(value)); }
    virtual void OnVirtual(int32_t value) {
        _log.push_back(_name + ":base:" + std::to_string(value));
    }

protected:
    std::vector<std::string>& _log;
    std::string _name;
};

class DerivedListener : public Listener {
public:
    using Listener::Listener;
    void OnVirtual(int32_t value) override {
        _log.push_back(_name + ":derived:" + std::to_string(value));
    }
};

// A second base ahead of the listener part moves `this` away from the object's start.
struct Padding {
    virtual ~Padding() = default;
    int64_t filler[3] = {1, 2, 3};
};

class OffsetListener : public Padding, public Listener {
public:
    using Listener::Listener;
};

TEST(EventTest, EmptyEventRefusesToFire) {
    TBK_Event<int32_t> event;
    EXPECT_TRUE(event.IsEnabled());
    EXPECT_FALSE(event.Fire(1));
}

TEST(EventTest, DisabledEventCallsNothingUntilEnabledAgain) {
    std::vector<std::string> log;
    Listener listener(log, "a");
    TBK_Event<int32_t> event;
    ASSERT_TRUE(event.AddHandler(BK_MakeDelegate(listener, &Listener::OnValue)));
    event.Enable(false);
    EXPECT_FALSE(event.IsEnabled());
    EXPECT_FALSE(event.Fire(7));
    EXPECT_TRUE(log.empty());
    event.Enable(true);
    EXPECT_TRUE(event.Fire(8));
    EXPECT_EQ(log, (std::vector<std::string>{"a:8"}));
}

TEST(EventTest, HandlersAreCalledOnceEachInTheOrderTheyWereAdded) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<Listener>> listeners;
    TBK_Event<int32_t> event;
    for (const char* name : {"c", "a", "d", "b", "e"}) {
        listeners.push_back(std::make_unique<Listener>(log, name));
        ASSERT_TRUE(event.AddHandler(BK_MakeDelegate(*listeners.back(), &Listener::OnValue)));
    }
    EXPECT_TRUE(event.Fire(3));
    EXPECT_EQ(log, (std::vector<std::string>{"c:3", "a:3", "d:3", "b:3", "e:3"}));
    log.clear();
    EXPECT_TRUE(event.Fire(-4));
    EXPECT_EQ(log, (std::vector<std::string>{"c:-4", "a:-4", "d:-4", "b:-4", "e:-4"}));
}

TEST(EventTest, NullAndAlreadyBoundDelegatesAreRefused) {
    std::vector<std::string> log;
    Listener listener(log, "a");
    TBK_Event<int32_t> event;
    EXPECT_FALSE(event.AddHandler(nullptr));
    auto* delegate = BK_MakeDelegate(listener, &Listener::OnValue);
    EXPECT_TRUE(event.AddHandler(delegate));
    EXPECT_FALSE(event.AddHandler(delegate));
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(log, (std::vector<std::string>{"a:1"}));
}

TEST(EventTest, VirtualMemberReachesTheMostDerivedOverride) {
    std::vector<std::string> log;
    DerivedListener derived(log, "d");
    Listener& asBase = derived;
    TBK_Event<int32_t> event;
    event.AddHandler(BK_MakeDelegate(asBase, &Listener::OnVirtual));
    EXPECT_TRUE(event.Fire(5));
    EXPECT_EQ(log, (std::vector<std::string>{"d:derived:5"}));
}

TEST(EventTest, MemberOfASecondaryBaseGetsTheRightObject) {
    std::vector<std::string> log;
    OffsetListener offset(log, "o");
    TBK_Event<int32_t> event;
    event.AddHandler(BK_MakeDelegate(static_cast<Listener&>(offset), &Listener::OnVirtual));
    EXPECT_TRUE(event.Fire(9));
    EXPECT_EQ(log, (std::vector<std::string>{"o:base:9"}));
}

struct Tab {
    int32_t index = 0;
};

struct TabWatcher {
    void OnChange(Tab& tab) { tab.index += 10; }
};

TEST(EventTest, ReferenceArgumentReachesTheCallersObject) {
    TabWatcher first;
    TabWatcher second;
    TBK_Event<Tab&> event;
    event.AddHandler(BK_MakeDelegate(first, &TabWatcher::OnChange));
    event.AddHandler(BK_MakeDelegate(second, &TabWatcher::OnChange));
    Tab tab{1};
    EXPECT_TRUE(event.Fire(tab));
    EXPECT_EQ(tab.index, 21);
}

std::vector<int32_t>* gFreeLog = nullptr;
void FreeHandler(int32_t value) {
    gFreeLog->push_back(value);
}

TEST(EventTest, FreeFunctionDelegate) {
    std::vector<int32_t> log;
    gFreeLog = &log;
    TBK_Event<int32_t> event;
    event.AddHandler(new TBK_Delegate1<int32_t>(&FreeHandler));
    EXPECT_TRUE(event.Fire(12));
    EXPECT_EQ(log, (std::vector<int32_t>{12}));
    TBK_Delegate1<int32_t> empty(static_cast<void (*)(int32_t)>(nullptr));
    empty.Call(1); // a delegate without a function does nothing
    EXPECT_EQ(log.size(), 1u);
    gFreeLog = nullptr;
}

TEST(EventTest, RemoveAllHandlersEmptiesTheEvent) {
    std::vector<std::string> log;
    Listener listener(log, "a");
    TBK_Event<int32_t> event;
    event.AddHandler(BK_MakeDelegate(listener, &Listener::OnValue));
    event.AddHandler(BK_MakeDelegate(listener, &Listener::OnValue));
    event.RemoveAllHandlers();
    EXPECT_FALSE(event.Fire(1));
    EXPECT_TRUE(log.empty());
}

// Handlers that act on the event that is calling them.
class Reentrant {
public:
    explicit Reentrant(TBK_Event<int32_t>* event) : event(event) {}

    void FireAgain(int32_t value) {
        ++calls;
        innerResult = event->Fire(value + 1);
    }
    void RemoveAll(int32_t) {
        ++calls;
        event->RemoveAllHandlers();
    }
    void RemoveAllThenAdd(int32_t) {
        ++calls;
        event->RemoveAllHandlers();
        event->AddHandler(BK_MakeDelegate(*this, &Reentrant::Count));
    }
    void DestroyEvent(int32_t) {
        ++calls;
        delete event;
        event = nullptr;
    }
    void AddAnother(int32_t) {
        ++calls;
        event->AddHandler(BK_MakeDelegate(*this, &Reentrant::Count));
    }
    void Count(int32_t) { ++counted; }

    TBK_Event<int32_t>* event;
    int calls = 0;
    int counted = 0;
    bool innerResult = true;
};

TEST(EventReentrancyTest, HandlerFiringItsOwnEventIsRefusedInside) {
    TBK_Event<int32_t> event;
    Reentrant handler(&event);
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::FireAgain));
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::Count));
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.calls, 1);
    EXPECT_EQ(handler.counted, 1);
    EXPECT_FALSE(handler.innerResult);
    // Firing is over: the event fires again normally.
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.calls, 2);
}

TEST(EventReentrancyTest, HandlerRemovingAllHandlersStopsTheRound) {
    TBK_Event<int32_t> event;
    Reentrant handler(&event);
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::Count));
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::RemoveAll));
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::Count));
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.calls, 1);
    EXPECT_EQ(handler.counted, 1); // the handler after the removal was deleted, not called
    EXPECT_FALSE(event.Fire(1));
}

TEST(EventReentrancyTest, HandlerAddedAfterRemovalWaitsForTheNextFire) {
    TBK_Event<int32_t> event;
    Reentrant handler(&event);
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::RemoveAllThenAdd));
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::Count));
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.counted, 0);
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.counted, 1);
    EXPECT_EQ(handler.calls, 1);
}

TEST(EventReentrancyTest, HandlerDestroyingTheEventEndsFiringSafely) {
    auto* event = new TBK_Event<int32_t>;
    Reentrant handler(event);
    event->AddHandler(BK_MakeDelegate(handler, &Reentrant::Count));
    event->AddHandler(BK_MakeDelegate(handler, &Reentrant::DestroyEvent));
    event->AddHandler(BK_MakeDelegate(handler, &Reentrant::Count));
    // Under AddressSanitizer any touch of the freed event or its delegates fails here.
    EXPECT_TRUE(event->Fire(1));
    EXPECT_EQ(handler.event, nullptr);
    EXPECT_EQ(handler.calls, 1);
    EXPECT_EQ(handler.counted, 1);
}

TEST(EventReentrancyTest, HandlerAddedWhileFiringIsCalledFromTheNextFire) {
    TBK_Event<int32_t> event;
    Reentrant handler(&event);
    event.AddHandler(BK_MakeDelegate(handler, &Reentrant::AddAnother));
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.counted, 0);
    EXPECT_TRUE(event.Fire(1)); // adds one more, calls the one added before
    EXPECT_EQ(handler.counted, 1);
    EXPECT_TRUE(event.Fire(1));
    EXPECT_EQ(handler.counted, 3);
}

struct ThrowingHandler {
    void Throw(int32_t) { throw 42; }
};

TEST(EventReentrancyTest, HandlerThrowingLeavesTheEventUsable) {
    ThrowingHandler thrower;
    TBK_Event<int32_t> event;
    event.AddHandler(BK_MakeDelegate(thrower, &ThrowingHandler::Throw));
    EXPECT_THROW(event.Fire(1), int);
    EXPECT_THROW(event.Fire(1), int); // not left "firing"
}

} // namespace
