#pragma once
// Which certificates a transfer trusts: the system's CAs plus an optional extra CA file. The only
// part of the transfer that knows the TLS library libcurl is built with (one implementation file
// per TLS library, picked by CMake); the rest of the transfer speaks libcurl alone.
#include <curl/curl.h>

#include <string>
#include <utility>

namespace brisko::net {

class TrustedCertificates {
public:
    // extraCaFile: a PEM file trusted besides the system's CAs; empty for none.
    explicit TrustedCertificates(std::string extraCaFile) : extraCaFile_(std::move(extraCaFile)) {}
    TrustedCertificates(const TrustedCertificates&) = delete;
    TrustedCertificates& operator=(const TrustedCertificates&) = delete;

    // Makes `handle` verify the server's certificate against these CAs. This object must outlive
    // the transfer. Throws when libcurl refuses an option.
    void ApplyTo(CURL* handle);

    // Why the certificates could not be given to the TLS layer (a CA file that cannot be read);
    // "" when they were. The transfer then fails, and this is its message.
    const std::string& Failure() const { return failure_; }

private:
    std::string extraCaFile_;
    std::string systemBundle_; // the CA bundle libcurl would read itself
    std::string failure_;

    // libcurl's CURLOPT_SSL_CTX_FUNCTION: hands the TLS context the certificates.
    static CURLcode OnSslContext(CURL* handle, void* sslContext, void* self);
};

} // namespace brisko::net
