#include "tests/support/allocation_meter.h"

#include <atomic>
#include <cstdint>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
extern "C" {
std::size_t __sanitizer_get_allocated_size(const volatile void* p);
int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                              void (*onFree)(const volatile void*));
}
#endif

namespace stravel::testing {

namespace {

std::atomic<bool> gCounting{false};
std::atomic<int64_t> gHeld{0};
std::atomic<int64_t> gPeak{0};
std::atomic<int64_t> gLimit{0}; // 0: none
std::atomic<int> gLimitStatus{0};

#if defined(__SANITIZE_ADDRESS__)
void OnMalloc(const volatile void*, std::size_t size) {
    if (!gCounting.load(std::memory_order_relaxed))
        return;
    const int64_t held = gHeld.fetch_add(int64_t(size)) + int64_t(size);
    const int64_t limit = gLimit.load(std::memory_order_relaxed);
    if (limit > 0 && held > limit)
        _exit(gLimitStatus.load());
    int64_t peak = gPeak.load();
    while (held > peak && !gPeak.compare_exchange_weak(peak, held)) {
    }
}

void OnFree(const volatile void* p) {
    if (p && gCounting.load(std::memory_order_relaxed))
        gHeld.fetch_sub(int64_t(__sanitizer_get_allocated_size(p)));
}

bool Install() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
}
#else
bool Install() {
    return false;
}
#endif

} // namespace

bool AllocationMeter::Available() {
    return Install();
}

AllocationMeter::AllocationMeter() {
    Install();
    gHeld = 0;
    gPeak = 0;
    gCounting = true;
}

AllocationMeter::~AllocationMeter() {
    gCounting = false;
    gLimit = 0;
}

void AllocationMeter::ExitAbove(std::size_t bytes, int status) {
    gLimitStatus = status;
    gLimit = int64_t(bytes);
}

std::size_t AllocationMeter::Peak() const {
    return std::size_t(gPeak.load());
}

std::size_t AllocationMeter::Held() const {
    const int64_t held = gHeld.load();
    return held > 0 ? std::size_t(held) : 0;
}

} // namespace stravel::testing
