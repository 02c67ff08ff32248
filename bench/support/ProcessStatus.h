#pragma once
// What the kernel tells of a running process (Linux /proc): memory, threads, open descriptors.
#include <sys/types.h>

#include <string>

namespace brisko::bench {

// A number field of /proc/<pid>/status ("VmRSS" in kB, "Threads"); -1 when absent.
long long StatusField(pid_t pid, const std::string& field);
// Open file descriptors of the process.
long long OpenDescriptors(pid_t pid);

} // namespace brisko::bench
