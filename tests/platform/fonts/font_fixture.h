// A bare port made current for one test (the previous port restored after it), and helpers
// for length-prefixed names. Tests that need an installed font skip without one.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/fonts/font_catalog.h"
#include "platform/fonts/font_manager.h"
#include "platform/quickdraw/quickdraw.h"
#include "tests/support/tools.h"

namespace fonttest {

inline void MakePascal(const std::string& text, tbx::Str255 out) {
    out[0] = static_cast<unsigned char>(text.size());
    std::memcpy(out + 1, text.data(), text.size());
}

inline std::string FromPascal(const tbx::Str255 name) {
    return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

// 0 when the family is not installed.
inline tbx::FMFontFamily FamilyNamed(const std::string& name) {
    tbx::Str255 pascal;
    MakePascal(name, pascal);
    tbx::SInt16 family = 0;
    tbx::GetFNum(pascal, &family);
    return family;
}

class PortTest : public ::testing::Test {
protected:
    void SetUp() override {
        tbx::GetGWorld(&_saved, nullptr);
        _port = tbx::CreateNewPort();
        ASSERT_NE(_port, nullptr);
        tbx::SetGWorld(_port, nullptr);
    }
    void TearDown() override {
        tbx::SetGWorld(_saved, nullptr);
        tbx::DisposePort(_port);
    }

    void Select(tbx::FMFontFamily family, tbx::SInt16 size, tbx::Style face = tbx::normal) {
        tbx::TextFont(family);
        tbx::TextSize(size);
        tbx::TextFace(face);
    }

    tbx::CGrafPtr _saved = nullptr;
    tbx::CGrafPtr _port = nullptr;
};

#define STRAVEL_REQUIRE_FONTS()                                                                    \
    STRAVEL_REQUIRE(!tbx::fonts::Families().empty(), "no scalable font is installed")

#define STRAVEL_REQUIRE_FAMILY(name)                                                               \
    STRAVEL_REQUIRE(::fonttest::FamilyNamed(name) != 0, std::string(name) + " is not installed")

} // namespace fonttest
