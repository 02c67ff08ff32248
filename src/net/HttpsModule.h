#pragma once
// The HTTPS transfer (libcurl, OpenSSL) lives in a module of its own, loaded at the first call:
// the program then starts without loading those libraries and the dozens they bring. Both sides
// are built together from Http.h, so the entry takes the C++ types as they are.
#include "Http.h"

namespace brisko::net {

// The module's file name.
inline constexpr const char* kHttpsModuleFile = BRISKO_HTTPS_MODULE_FILE;
inline constexpr const char* kHttpsEntry = "BriskoHttpsPerform";
using HttpsEntry = void (*)(const HttpRequest* request, HttpOutcome* outcome);

} // namespace brisko::net

// Never throws; `outcome` gets a response or a failure.
extern "C" void BriskoHttpsPerform(const brisko::net::HttpRequest* request,
                                   brisko::net::HttpOutcome* outcome);
