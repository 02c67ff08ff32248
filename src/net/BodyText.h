#pragma once
// Turning a response body into text: decoding by the declared charset, and the 7-bit ASCII
// reduction applied to marketplace bodies before they are parsed.
#include <string>
#include <string_view>

namespace brisko::net {

// Decodes body bytes declared in charset (as the response gave it, any case) to UTF-8.
// utf-8 (also the default for an empty or unknown charset): kept, each invalid byte becomes
// U+FFFD; iso-8859-1/latin1 and windows-1252 are converted; us-ascii is read as UTF-8.
std::string DecodeBody(std::string_view body, std::string_view charset);

// The text with every byte that is not part of a well-formed UTF-8 sequence replaced by U+FFFD.
std::string ToValidUtf8(std::string_view text);

// Reduces UTF-8 text to 7-bit ASCII: ASCII stays, an accented Latin letter becomes the letter
// without its accent (ã→a, ç→c, É→E), a combining accent is dropped, and any other character
// (or invalid byte) becomes '?'.
std::string ReduceToAscii(std::string_view utf8);

// ReduceToAscii(DecodeBody(body, charset)) without the decoded text in between: never longer than
// the body, however many bytes the decoding would have widened.
std::string DecodeToAscii(std::string_view body, std::string_view charset);

} // namespace brisko::net
