// The trust store over Schannel, Windows' own TLS: servers are verified against the system's
// certificate store, which Windows keeps up to date. A build's extra CA file stands in for that
// store on this build's calls (Schannel verifies against one root store, not two), which is what a
// build for the local simulators needs and what a release build, with no extra CA, never does.
#include "TrustedCertificates.h"

#include "CurlOption.h"

namespace brisko::net {

void TrustedCertificates::ApplyTo(CURL* handle) {
    if (extraCaFile_.empty()) {
        SetCurlOption(handle, CURLOPT_CAINFO, static_cast<const char*>(nullptr));
    } else {
        SetCurlOption(handle, CURLOPT_CAINFO, extraCaFile_.c_str());
    }
    // A revoked certificate is refused; a revocation server out of reach does not stop the store's
    // work, as browsers on Windows also decide.
    SetCurlOption(handle, CURLOPT_SSL_OPTIONS, long{CURLSSLOPT_REVOKE_BEST_EFFORT});
}

} // namespace brisko::net
