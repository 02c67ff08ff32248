#pragma once
// Setting one libcurl option; a refused option is an error of the call, not something to go on
// without.
#include <curl/curl.h>

#include <stdexcept>

namespace brisko::net {

template <typename Value> void SetCurlOption(CURL* handle, CURLoption option, Value value) {
    const CURLcode code = curl_easy_setopt(handle, option, value);
    if (code != CURLE_OK) {
        throw std::runtime_error(curl_easy_strerror(code));
    }
}

} // namespace brisko::net
