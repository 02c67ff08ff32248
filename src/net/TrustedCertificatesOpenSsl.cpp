// The trust store over OpenSSL. Reading the system's CA bundle, and even filling and sorting a trust
// store from certificates already read, costs more than a whole call on a near network, so the
// certificates are read from their files once per process and each thread keeps the stores it has
// built. Stores are not shared between threads: libcurl adds its CA folder lookup to the store a
// call uses, and OpenSSL fills caches inside the certificates it verifies with, so a store shared by
// calls on two threads would be written by both at once. Certificates are not connection state:
// nothing of one call carries over to the next. A file that cannot be read is tried again at the
// next call.
#include "TrustedCertificates.h"

#include "CurlOption.h"

#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace brisko::net {
namespace {

struct StoreDeleter {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
using StorePtr = std::unique_ptr<X509_STORE, StoreDeleter>;

// What one PEM file holds, as DER bytes, never changed once read. Each thread's stores get
// certificate objects of their own made from them: OpenSSL fills caches inside a certificate as it
// verifies with it, so certificate objects are not shared between threads either.
struct FileContents {
    std::vector<std::string> certificates;
    std::vector<std::string> crls;
};

template <typename Object, typename Encode> std::string Der(Object* object, Encode encode) {
    unsigned char* bytes = nullptr;
    const int length = encode(object, &bytes);
    if (length <= 0) {
        return {};
    }
    std::string der(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    OPENSSL_free(bytes);
    return der;
}

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
            contents->certificates.push_back(Der(certificate, i2d_X509));
        } else if (X509_CRL* crl = X509_OBJECT_get0_X509_CRL(object)) {
            contents->crls.push_back(Der(crl, i2d_X509_CRL));
        }
    }
    return contents;
}

// Each file's contents, read at its first successful use in the process.
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

// Decodes each DER text and hands the object to `add`, which takes a reference of its own.
template <typename Object, typename Decode, typename Free, typename AddToStore>
bool AddEach(X509_STORE* store, const std::vector<std::string>& ders, Decode decode, Free release,
             AddToStore add) {
    for (const std::string& der : ders) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
        Object* object = decode(nullptr, &bytes, static_cast<long>(der.size()));
        const bool added = object != nullptr && add(store, object) == 1;
        release(object);
        if (!added) {
            return false;
        }
    }
    return true;
}

bool Add(X509_STORE* store, const FileContents& contents) {
    return AddEach<X509>(store, contents.certificates, d2i_X509, X509_free, X509_STORE_add_cert) &&
           AddEach<X509_CRL>(store, contents.crls, d2i_X509_CRL, X509_CRL_free, X509_STORE_add_crl);
}

// A store with the certificates and revocation lists of both files; null, with `failure` set, when
// a file cannot be read.
StorePtr BuildStore(const std::string& systemBundle, const std::string& extraCaFile, std::string& failure) {
    StorePtr store(X509_STORE_new());
    if (!store) {
        failure = "Cannot create a certificate store";
        return nullptr;
    }
    for (const std::string& file : {systemBundle, extraCaFile}) {
        if (file.empty()) {
            continue;
        }
        const std::shared_ptr<const FileContents> contents = Contents(file);
        if (!contents || !Add(store.get(), *contents)) {
            failure = "Cannot read the CA certificate file " + file;
            return nullptr;
        }
    }
    return store;
}

// Gives `context` a trust store holding the system's CAs and those of `extraCaFile` (none when
// empty). False, with `failure` set, when a file cannot be read.
bool GiveStore(SSL_CTX* context, const std::string& systemBundle, const std::string& extraCaFile,
               std::string& failure) {
    thread_local std::map<std::pair<std::string, std::string>, StorePtr> stores;
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

} // namespace

void TrustedCertificates::ApplyTo(CURL* handle) {
    // libcurl would read its CA bundle again at every call; the context callback hands over the
    // certificates already read instead (the CA folder, looked up lazily, stays libcurl's).
    const char* systemBundle = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CAINFO, &systemBundle) == CURLE_OK && systemBundle != nullptr) {
        systemBundle_ = systemBundle;
    }
    SetCurlOption(handle, CURLOPT_CAINFO, static_cast<const char*>(nullptr));
    SetCurlOption(handle, CURLOPT_SSL_CTX_FUNCTION, &TrustedCertificates::OnSslContext);
    SetCurlOption(handle, CURLOPT_SSL_CTX_DATA, static_cast<void*>(this));
}

CURLcode TrustedCertificates::OnSslContext(CURL*, void* sslContext, void* self) {
    auto& trusted = *static_cast<TrustedCertificates*>(self);
    if (!GiveStore(static_cast<SSL_CTX*>(sslContext), trusted.systemBundle_, trusted.extraCaFile_,
                   trusted.failure_)) {
        return CURLE_SSL_CACERT_BADFILE;
    }
    return CURLE_OK;
}

} // namespace brisko::net
