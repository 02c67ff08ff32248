#include "FrontRequest.h"

#include "ProgramFiles.h"

#include <fstream>

namespace brisko::app {

void WriteFrontRequest(const std::filesystem::path& programFolder) {
    std::ofstream marker(platform::FrontRequestMarker(programFolder), std::ios::binary | std::ios::trunc);
    marker << "[Tramel]\r\nAbrir=1\r\n";
}

} // namespace brisko::app
