#pragma once
// The certificates every HTTPS call trusts, read from their files once per process. Reading the
// system's CA bundle costs far more than a whole call on a near network, so each call gets a fresh
// trust store filled from the certificates already read. Certificates are not connection state:
// nothing of one call carries over to the next.
#include <openssl/ssl.h>

#include <string>

namespace brisko::net {

// Gives `context` a trust store of its own holding the system's CAs (the bundle libcurl would read,
// `systemBundle`) and those of `extraCaFile` (none when empty). Either file is read at its first use
// only; a file that cannot be read is tried again at the next call. False, with `failure` set, when
// a file cannot be read.
bool TrustCertificates(SSL_CTX* context, const std::string& systemBundle, const std::string& extraCaFile,
                       std::string& failure);

} // namespace brisko::net
