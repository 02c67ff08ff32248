#include "TrustedCertificates.h"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace brisko::net {
namespace {

struct X509Deleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct CrlDeleter {
    void operator()(X509_CRL* crl) const { X509_CRL_free(crl); }
};
struct StoreDeleter {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
using StorePtr = std::unique_ptr<X509_STORE, StoreDeleter>;

// What one PEM file holds, never changed once read, so any thread may copy from it.
struct FileContents {
    std::vector<std::unique_ptr<X509, X509Deleter>> certificates;
    std::vector<std::unique_ptr<X509_CRL, CrlDeleter>> crls;
};

// Reads the file the way a trust store loads it (certificates and revocation lists).
std::shared_ptr<const FileContents> ReadFile(const std::string& file) {
    const StorePtr scratch(X509_STORE_new());
    if (!scratch || X509_STORE_load_file(scratch.get(), file.c_str()) != 1) {
        return nullptr;
    }
    auto contents = std::make_shared<FileContents>();
    STACK_OF(X509_OBJECT)* objects = X509_STORE_get0_objects(scratch.get());
    for (int i = 0; i < sk_X509_OBJECT_num(objects); ++i) {
        X509_OBJECT* object = sk_X509_OBJECT_value(objects, i);
        if (X509* certificate = X509_OBJECT_get0_X509(object)) {
            X509_up_ref(certificate);
            contents->certificates.emplace_back(certificate);
        } else if (X509_CRL* crl = X509_OBJECT_get0_X509_CRL(object)) {
            X509_CRL_up_ref(crl);
            contents->crls.emplace_back(crl);
        }
    }
    return contents;
}

// Each file's contents, read at its first successful use.
std::shared_ptr<const FileContents> Contents(const std::string& file) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const FileContents>> files;
    const std::lock_guard lock(mutex);
    const auto found = files.find(file);
    if (found != files.end()) {
        return found->second;
    }
    std::shared_ptr<const FileContents> contents = ReadFile(file);
    if (contents) {
        files.emplace(file, contents);
    }
    return contents;
}

bool Add(X509_STORE* store, const FileContents& contents) {
    for (const auto& certificate : contents.certificates) {
        if (X509_STORE_add_cert(store, certificate.get()) != 1) {
            return false;
        }
    }
    for (const auto& crl : contents.crls) {
        if (X509_STORE_add_crl(store, crl.get()) != 1) {
            return false;
        }
    }
    return true;
}

} // namespace

bool TrustCertificates(SSL_CTX* context, const std::string& systemBundle, const std::string& extraCaFile,
                       std::string& failure) {
    StorePtr store(X509_STORE_new());
    if (!store) {
        failure = "Cannot create a certificate store";
        return false;
    }
    for (const std::string& file : {systemBundle, extraCaFile}) {
        if (file.empty()) {
            continue;
        }
        const std::shared_ptr<const FileContents> contents = Contents(file);
        if (!contents || !Add(store.get(), *contents)) {
            failure = "Cannot read the CA certificate file " + file;
            return false;
        }
    }
    SSL_CTX_set_cert_store(context, store.release()); // the context owns it from here
    return true;
}

} // namespace brisko::net
