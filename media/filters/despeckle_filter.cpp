#include "media/filters/despeckler.h"
#include "media/filters/noise_filters.h"
#include "media/filters/pixel_routines.h"

void despeckle_iteration(int32_t level, double factor, int32_t width, int32_t height,
                         uint8_t* pixels) {
    // Below level 1 the size limit is 1 or less: no region is small enough to change.
    if (!pixels || width <= 0 || height <= 0 || level < 1)
        return;
    CBK_Despeckler despeckler;
    despeckler.Reset(width, height, pixels);
    despeckler.Pass(level, factor);
    despeckler.Store();
}

bool CBK_ImageFilterDespeckle::Filter(CBK_Image& image) {
    int32_t w, h;
    if (!BK_Has24BitPixels(image, w, h))
        return image.IsEmpty();
    // Level 0 (size limit 1) changes nothing; level 1 runs on the colours alone.
    m_despeckler.ResetWithFirstPass(w, h, image.GetData(), 3.0);
    for (int32_t level = 2; level < 20; ++level)
        m_despeckler.Pass(level, 3.0);
    m_despeckler.Store();
    return true;
}
