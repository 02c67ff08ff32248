#pragma once
// Small helpers of the platform tests: environment variables set for one test, files written by
// started programs, and waiting for them with a time-out.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace brisko::test {

// Sets (or, with nullopt, removes) an environment variable; the old value comes back at the end.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const std::string& content);

// Waits until `file` exists (programs under test write it elsewhere and rename it into place) and
// answers its content; nullopt after the time-out.
std::optional<std::string> WaitForFile(const std::filesystem::path& file,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace brisko::test
