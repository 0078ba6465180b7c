#include "platform/classic_locale.h"

namespace tbx {

namespace {

locale_t Classic() {
    // Made once and kept for the life of the process; the C locale cannot fail to load.
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return classic;
}

} // namespace

ScopedClassicLocale::ScopedClassicLocale() : _previous(uselocale(Classic())) {}

ScopedClassicLocale::~ScopedClassicLocale() {
    uselocale(_previous);
}

} // namespace tbx
