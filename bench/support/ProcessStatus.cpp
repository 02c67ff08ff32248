#include "ProcessStatus.h"

#include <filesystem>
#include <fstream>

namespace brisko::bench {

long long StatusField(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stoll(line.substr(field.size() + 1));
        }
    }
    return -1;
}

long long OpenDescriptors(pid_t pid) {
    std::error_code error;
    long long n = 0;
    for (std::filesystem::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", error), end;
         !error && it != end; it.increment(error)) {
        ++n;
    }
    return n;
}

} // namespace brisko::bench
