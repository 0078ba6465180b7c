// The sound volume goes to the "Master" control of ALSA's default control device. Every test
// names an ALSA configuration of its own (ALSA_CONFIG_PATH), whose default device is the
// tests' software mixer, so that no real mixer is ever reached; amixer reads and writes the
// same device from outside.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include "core/system/system_info.h"
#include "tests/support/environment_scope.h"
#include "tests/support/tools.h"

namespace {

using stravel::testing::EnvironmentScope;
using stravel::testing::RunTool;
using stravel::testing::TempDir;

// A configuration whose default control device is the test mixer with that element, or,
// with no element, one that has no default control device at all.
class AlsaConfiguration {
public:
    explicit AlsaConfiguration(const std::optional<std::string>& element) {
        std::string text;
        if (element)
            text = "ctl_type.stravel_test_mixer { lib \"" STRAVEL_TEST_ALSA_MIXER "\" }\n"
                   "ctl.!default { type stravel_test_mixer; state \"" +
                   (_dir / "levels").string() + "\"; element \"" + *element + "\" }\n";
        stravel::testing::WriteFileBytes(_dir / "asound.conf", text);
        _variable.emplace("ALSA_CONFIG_PATH", (_dir / "asound.conf").string());
    }

private:
    TempDir _dir;
    std::optional<EnvironmentScope> _variable;
};

// amixer's view of the two levels: "21 21".
std::string AmixerLevels() {
    const auto shown = RunTool({"amixer", "-D", "default", "sget", "Master"});
    std::string levels;
    for (const char* channel : {"Front Left: Playback ", "Front Right: Playback "}) {
        const std::size_t at = shown.out.find(channel);
        if (at == std::string::npos)
            return "none: " + shown.out + shown.err;
        const std::size_t start = at + std::strlen(channel);
        levels += (levels.empty() ? "" : " ") +
                  shown.out.substr(start, shown.out.find(' ', start) - start);
    }
    return levels;
}

TEST(SoundVolume, MasterLevelsAsAmixerSeesThem) {
    STRAVEL_REQUIRE_TOOL("amixer");
    AlsaConfiguration alsa("Master Playback Volume");
    // Levels run from 5 to 69: the fraction is clamped and spread over the 64 steps.
    const struct {
        double volume;
        const char* levels;
    } table[] = {{0.25, "21 21"}, {0.0, "5 5"}, {1.0, "69 69"}, {1.5, "69 69"}, {-2.0, "5 5"}};
    for (const auto& row : table) {
        ASSERT_TRUE(CBK_System::SetSoundVolume(row.volume)) << row.volume;
        EXPECT_EQ(AmixerLevels(), row.levels) << row.volume;
    }
    EXPECT_FALSE(CBK_System::SetSoundVolume(std::nan("")));
    EXPECT_EQ(AmixerLevels(), "5 5");
    // Channels set apart from outside read back as their mean.
    ASSERT_EQ(RunTool({"amixer", "-q", "-D", "default", "sset", "Master", "37,53"}).exitCode, 0);
    EXPECT_DOUBLE_EQ(CBK_System::GetSoundVolume(), 40.0 / 64);

    std::mt19937 random(29);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    for (int i = 0; i < 20; ++i) {
        const double volume = fraction(random);
        ASSERT_TRUE(CBK_System::SetSoundVolume(volume));
        EXPECT_NEAR(CBK_System::GetSoundVolume(), volume, 0.5 / 64) << volume;
    }
}

TEST(SoundVolume, WithoutAMasterControlNothingIsSetOrRead) {
    for (const std::optional<std::string>& element :
         {std::optional<std::string>(), std::optional<std::string>("PCM Playback Volume")}) {
        AlsaConfiguration alsa(element);
        EXPECT_FALSE(CBK_System::SetSoundVolume(0.5));
        EXPECT_EQ(CBK_System::GetSoundVolume(), -1.0);
    }
}

} // namespace
