#pragma once
// The hand-over of a second start: instead of running beside the first copy it leaves a marker that
// the running copy's bring-to-front poll picks up.
#include <filesystem>

namespace brisko::app {

// Writes the marker (section Tramel, key Abrir, value 1). Only its presence is ever tested; a failure
// to write is not reported, the second start ends all the same.
void WriteFrontRequest(const std::filesystem::path& programFolder);

} // namespace brisko::app
