// Worlds made for one test and disposed of after it; the current port is restored.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/quickdraw/quickdraw.h"

namespace qdtest {

inline tbx::Rect MakeRect(int left, int top, int right, int bottom) {
    tbx::Rect r;
    r.left = tbx::SInt16(left);
    r.top = tbx::SInt16(top);
    r.right = tbx::SInt16(right);
    r.bottom = tbx::SInt16(bottom);
    return r;
}

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override { tbx::GetGWorld(&_saved, nullptr); }
    void TearDown() override {
        tbx::SetGWorld(_saved, nullptr);
        for (tbx::GWorldPtr w : _worlds)
            tbx::DisposeGWorld(w);
    }

    tbx::GWorldPtr Make(const tbx::Rect& bounds, tbx::SInt16 depth = 32) {
        tbx::GWorldPtr world = nullptr;
        EXPECT_EQ(tbx::NewGWorld(&world, depth, &bounds, nullptr, nullptr, 0), tbx::noErr);
        _worlds.push_back(world);
        return world;
    }

    // The four bytes of the 32-bit pixel at port coordinates (h, v).
    static unsigned char* Pixel(tbx::GWorldPtr world, int h, int v) {
        tbx::PixMapHandle pm = tbx::GetGWorldPixMap(world);
        tbx::Rect b;
        tbx::GetPortBounds(world, &b);
        return reinterpret_cast<unsigned char*>(tbx::GetPixBaseAddr(pm)) +
               (v - b.top) * tbx::GetPixRowBytes(pm) + (h - b.left) * 4;
    }

    static void SetPixel(tbx::GWorldPtr world, int h, int v, unsigned a, unsigned r, unsigned g,
                         unsigned b) {
        unsigned char* p = Pixel(world, h, v);
        p[0] = static_cast<unsigned char>(a);
        p[1] = static_cast<unsigned char>(r);
        p[2] = static_cast<unsigned char>(g);
        p[3] = static_cast<unsigned char>(b);
    }

    // A distinct value for each pixel and channel of a 32-bit world.
    static void Pattern(tbx::GWorldPtr world) {
        tbx::Rect b;
        tbx::GetPortBounds(world, &b);
        for (int v = b.top; v < b.bottom; ++v)
            for (int h = b.left; h < b.right; ++h)
                SetPixel(world, h, v, 0x80 + h, h * 16 + v, v * 16 + h, 7);
    }

    static bool Is(tbx::GWorldPtr world, int h, int v, unsigned a, unsigned r, unsigned g,
                   unsigned b) {
        const unsigned char* p = Pixel(world, h, v);
        return p[0] == a && p[1] == r && p[2] == g && p[3] == b;
    }

    tbx::CGrafPtr _saved = nullptr;
    std::vector<tbx::GWorldPtr> _worlds;
};

} // namespace qdtest
