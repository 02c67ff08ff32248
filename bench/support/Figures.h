#pragma once
// Timing helpers and the rows of the results table. Every benchmark program prints its rows on
// standard output as Markdown table lines (figure | measured | goal | verdict); bench/run
// gathers them under one header. Details of the runs go to standard error.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::bench {

// Milliseconds that `work` took on the steady clock.
template <class Work> double TimeMs(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values);
double Max(const std::vector<double>& values);
double Min(const std::vector<double>& values);

// "12.3" with that many decimals.
std::string Fixed(double value, int decimals = 1);
// "median 12.3 ms (min 11.0, max 14.2, n=5)".
std::string Spread(const std::vector<double>& values, std::string_view unit = "ms", int decimals = 1);

// One line of the results table.
void PrintRow(std::string_view figure, std::string_view measured, std::string_view goal, bool met);

} // namespace brisko::bench
