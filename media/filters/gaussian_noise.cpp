#include "media/filters/gaussian_noise.h"

namespace imagemagick::gaussian_noise {

const Tables& GetTables() {
    static const Tables tables = [] {
        Tables t{};
        for (int i = 0; i < 256; ++i) {
            const double centre = 1.0 + i / 256.0;
            t.logCentre[i] = std::log(centre);
            t.inverse[i] = 1.0 / centre;
            t.root[i] = std::sqrt(double(i));
        }
        return t;
    }();
    return tables;
}

} // namespace imagemagick::gaussian_noise
