#include "FrontRequest.h"

#include <fstream>

namespace brisko::app {

std::filesystem::path FrontRequestMarker(const std::filesystem::path& programFolder) {
    return programFolder / "open" / "open.ini";
}

void WriteFrontRequest(const std::filesystem::path& programFolder) {
    std::ofstream marker(FrontRequestMarker(programFolder), std::ios::binary | std::ios::trunc);
    marker << "[Tramel]\r\nAbrir=1\r\n";
}

} // namespace brisko::app
