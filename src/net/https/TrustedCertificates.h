#pragma once
// The certificates every HTTPS call trusts, read from their files once per process. Reading the
// system's CA bundle, and even filling and sorting a trust store from certificates already read,
// costs more than a whole call on a near network, so each thread keeps the stores it has built.
// Stores are not shared between threads: libcurl adds its CA folder lookup to the store a call
// uses, and OpenSSL fills caches inside the certificates it verifies with, so a store shared by
// calls on two threads would be written by both at once. Certificates are not connection state:
// nothing of one call carries over to the next.
#include <openssl/ssl.h>

#include <string>

namespace brisko::net {

// Gives `context` a trust store holding the system's CAs (the bundle libcurl would read,
// `systemBundle`) and those of `extraCaFile` (none when empty). Either file is read at its first
// use in the process; a file that cannot be read is tried again at the next call. False, with
// `failure` set, when a file cannot be read.
bool TrustCertificates(SSL_CTX* context, const std::string& systemBundle, const std::string& extraCaFile,
                       std::string& failure);

} // namespace brisko::net
