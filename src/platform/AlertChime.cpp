#include "AlertChime.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace brisko::platform {
namespace {

constexpr std::uint32_t kRate = 22050;
constexpr double kNoteSeconds = 0.12;
constexpr double kNotes[] = {880.0, 1318.5}; // A5 then E6: rising, so it reads as "look here"
constexpr double kVolume = 0.35;             // of full scale: heard beside a kitchen, not startling

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string Samples() {
    std::string samples;
    const auto perNote = static_cast<int>(kRate * kNoteSeconds);
    for (const double frequency : kNotes) {
        for (int i = 0; i < perNote; ++i) {
            // A short fade at both ends of each note keeps the speaker from clicking.
            const double edge = std::min({1.0, i / 200.0, (perNote - i) / 200.0});
            const double value = kVolume * edge * std::sin(2 * std::numbers::pi * frequency * i / kRate);
            const auto sample = static_cast<std::int16_t>(std::lround(value * 32767));
            PutLittleEndian(samples, static_cast<std::uint16_t>(sample), 2);
        }
    }
    return samples;
}

std::string Wav() {
    const std::string samples = Samples();
    std::string wav;
    wav += "RIFF";
    PutLittleEndian(wav, static_cast<std::uint32_t>(36 + samples.size()), 4);
    wav += "WAVEfmt ";
    PutLittleEndian(wav, 16, 4);        // size of the format block
    PutLittleEndian(wav, 1, 2);         // PCM
    PutLittleEndian(wav, 1, 2);         // mono
    PutLittleEndian(wav, kRate, 4);     // samples per second
    PutLittleEndian(wav, kRate * 2, 4); // bytes per second
    PutLittleEndian(wav, 2, 2);         // bytes per sample frame
    PutLittleEndian(wav, 16, 2);        // bits per sample
    wav += "data";
    PutLittleEndian(wav, static_cast<std::uint32_t>(samples.size()), 4);
    return wav + samples;
}

} // namespace

const std::string& AlertChimeWav() {
    static const std::string wav = Wav(); // kept for the life of the program: played asynchronously
    return wav;
}

} // namespace brisko::platform
