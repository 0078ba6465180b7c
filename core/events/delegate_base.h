// CBK_DelegateBase: the untyped part of a bound handler (object and member-function bytes).
#pragma once

#include <cstddef>
#include <cstdint>

class CBK_DelegateBase {
public:
    // Room for a pointer to member function of any class (16 bytes in the Itanium ABI).
    static constexpr std::size_t kMethodStoreSize = 32;

    // With an object: copies `size` bytes of the member-function pointer at `method`.
    // Without one (null): `method` is the free function's address.
    CBK_DelegateBase(void* object, const void* method, int32_t size);

    void* GetObject() const { return _object; }
    const unsigned char* GetMethodStore() const { return _methodStore; }

    // The free function stored by the object-less form; null for a bound member.
    const void* GetFunction() const;

private:
    alignas(std::max_align_t) unsigned char _methodStore[kMethodStoreSize] = {};
    void* _object = nullptr;
};
