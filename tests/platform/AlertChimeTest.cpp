// The alert chime the Windows program plays from memory: a WAV file the system's player accepts,
// short, audible and without clicks.
#include "AlertChime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace brisko::test {
namespace {

std::uint32_t Field(const std::string& wav, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(wav.at(at + i));
    }
    return value;
}

TEST(AlertChime, IsAShortAudiblePcmWaveWithoutClicks) {
    const std::string& wav = platform::AlertChimeWav();
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(Field(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Field(wav, 16, 4), 16u);
    EXPECT_EQ(Field(wav, 20, 2), 1u); // PCM
    EXPECT_EQ(Field(wav, 22, 2), 1u); // mono
    const std::uint32_t rate = Field(wav, 24, 4);
    EXPECT_EQ(Field(wav, 28, 4), rate * 2);
    EXPECT_EQ(Field(wav, 32, 2), 2u);
    EXPECT_EQ(Field(wav, 34, 2), 16u);
    EXPECT_EQ(wav.substr(36, 4), "data");
    ASSERT_EQ(Field(wav, 40, 4), wav.size() - 44);

    const std::size_t count = (wav.size() - 44) / 2;
    const double seconds = static_cast<double>(count) / rate;
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, 0.5);
    const auto sample = [&](std::size_t i) { return static_cast<std::int16_t>(Field(wav, 44 + 2 * i, 2)); };
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
    }
    EXPECT_GT(peak, 32767 / 4) << "too faint to be heard";
    EXPECT_LT(peak, 32767 / 2) << "louder than an alert beside the counter needs";
    EXPECT_LT(std::abs(static_cast<int>(sample(0))), 200);
    EXPECT_LT(std::abs(static_cast<int>(sample(count - 1))), 200);
    EXPECT_EQ(&platform::AlertChimeWav(), &wav) << "the bytes must outlive an asynchronous play";
}

} // namespace
} // namespace brisko::test
