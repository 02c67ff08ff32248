#pragma once
// The shape of a text with its digits hidden, for checking a time's layout in a way GoogleTest's
// matchers do everywhere: its regular expressions on Windows know neither "[0-9]" nor "{n}".
#include <string>
#include <string_view>

namespace brisko::test {

// Every ASCII digit of `text` as '9': "11/12/2026 11:14:48" reads "99/99/9999 99:99:99".
inline std::string DigitShape(std::string_view text) {
    std::string shape(text);
    for (char& c : shape) {
        if (c >= '0' && c <= '9') {
            c = '9';
        }
    }
    return shape;
}

} // namespace brisko::test
