#pragma once
// The program's own alert sound: a short two-note chime as a complete WAV file in memory, so that
// it plays the same on every computer, whatever sound theme the system has.
#include <string>

namespace brisko::platform {

// 16-bit mono PCM at 22,050 Hz, about a quarter of a second; the same bytes at every call.
const std::string& AlertChimeWav();

} // namespace brisko::platform
