#pragma once
// The certificates every HTTPS call trusts, read from their files once per process. Reading the
// system's CA bundle, and even sorting a fresh store filled from certificates already read, costs
// more than a whole call on a near network, so every call's TLS context shares one finished,
// read-only trust store. Certificates are not connection state: nothing of one call carries over to
// the next.
#include <openssl/ssl.h>

#include <string>

namespace brisko::net {

// Gives `context` the trust store holding the system's CAs (the bundle libcurl would read,
// `systemBundle`) and those of `extraCaFile` (none when empty). The store of one pair of files is
// built at its first use only; a file that cannot be read is tried again at the next call. False,
// with `failure` set, when a file cannot be read.
bool TrustCertificates(SSL_CTX* context, const std::string& systemBundle, const std::string& extraCaFile,
                       std::string& failure);

} // namespace brisko::net
