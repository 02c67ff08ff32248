#include "Figures.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace brisko::bench {

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Spread(const std::vector<double>& values, std::string_view unit, int decimals) {
    std::string text = "median " + Fixed(Median(values), decimals) + " " + std::string(unit);
    text += " (min " + Fixed(Min(values), decimals) + ", max " + Fixed(Max(values), decimals);
    text += ", n=" + std::to_string(values.size()) + ")";
    return text;
}

void PrintRow(std::string_view figure, std::string_view measured, std::string_view goal, bool met) {
    std::cout << "| " << figure << " | " << measured << " | " << goal << " | " << (met ? "met" : "MISSED")
              << " |" << std::endl;
}

} // namespace brisko::bench
