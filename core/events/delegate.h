// TBK_Delegate1<T>: a handler taking one T, bound to a member function or a free function.
// BK_MakeDelegate makes one for an object and one of its member functions.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/events/delegate_base.h"

template <typename T>
class TBK_Delegate1 : public CBK_DelegateBase {
public:
    using Translator = void (*)(const CBK_DelegateBase&, T);
    using Function = void (*)(T);

    // A bound member: `translator` is the only code that reads the stored bytes back.
    TBK_Delegate1(void* object, const void* method, int32_t size, Translator translator)
        : CBK_DelegateBase(object, method, size), _translator(translator) {}

    explicit TBK_Delegate1(Function function)
        : CBK_DelegateBase(nullptr, reinterpret_cast<const void*>(function), 0) {}

    void Call(T arg) const {
        if (GetObject()) {
            if (_translator)
                _translator(*this, arg);
            return;
        }
        if (const void* address = GetFunction())
            reinterpret_cast<Function>(const_cast<void*>(address))(arg);
    }

private:
    Translator _translator = nullptr;
};

template <typename T, typename C, typename M>
struct TBK_DelegateMemberTranslator1 {
    static_assert(sizeof(M) <= CBK_DelegateBase::kMethodStoreSize,
                  "member-function pointer does not fit the delegate's store");
    static_assert(std::is_trivially_copyable_v<M>);

    // Only ever given a delegate that BK_MakeDelegate filled for class C, so the bytes are an M.
    static void UpgradeAndCall(const CBK_DelegateBase& delegate, T arg) {
        M method{};
        std::memcpy(&method, delegate.GetMethodStore(), sizeof method);
        C* object = static_cast<C*>(delegate.GetObject());
        (object->*method)(arg);
    }
};

// A new delegate, owned by whoever takes it: hand it at once to an event's AddHandler.
template <typename C, typename T>
TBK_Delegate1<T>* BK_MakeDelegate(C& object, void (C::*method)(T)) {
    using Method = void (C::*)(T);
    using Translator = TBK_DelegateMemberTranslator1<T, C, Method>;
    return new TBK_Delegate1<T>(static_cast<void*>(&object), &method,
                                static_cast<int32_t>(sizeof method), &Translator::UpgradeAndCall);
}
