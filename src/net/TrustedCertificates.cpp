#include "TrustedCertificates.h"

#include <openssl/x509_vfy.h>

#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace brisko::net {
namespace {

struct StoreDeleter {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
using StorePtr = std::unique_ptr<X509_STORE, StoreDeleter>;

// A store with the certificates and revocation lists of both files; null, with `failure` set, when
// a file cannot be read.
StorePtr BuildStore(const std::string& systemBundle, const std::string& extraCaFile, std::string& failure) {
    StorePtr store(X509_STORE_new());
    if (!store) {
        failure = "Cannot create a certificate store";
        return nullptr;
    }
    for (const std::string& file : {systemBundle, extraCaFile}) {
        if (!file.empty() && X509_STORE_load_file(store.get(), file.c_str()) != 1) {
            failure = "Cannot read the CA certificate file " + file;
            return nullptr;
        }
    }
    return store;
}

} // namespace

bool TrustCertificates(SSL_CTX* context, const std::string& systemBundle, const std::string& extraCaFile,
                       std::string& failure) {
    // Stores live as long as the process. Once built, a store is only read (OpenSSL locks its own
    // lookups), so contexts on any thread may share it.
    static std::mutex mutex;
    static std::map<std::pair<std::string, std::string>, StorePtr> stores;
    const std::lock_guard lock(mutex);
    StorePtr& store = stores[{systemBundle, extraCaFile}];
    if (!store) {
        store = BuildStore(systemBundle, extraCaFile, failure);
        if (!store) {
            return false;
        }
    }
    SSL_CTX_set1_cert_store(context, store.get()); // the context takes a reference of its own
    return true;
}

} // namespace brisko::net
