#include "installer/platform/Tls.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

#include <algorithm>
#include <climits>
#include <string>

namespace tarnwick::platform {

namespace {

struct ContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct SslFree {
    void operator()(SSL* ssl) const { SSL_free(ssl); }
};
struct StoreFree {
    void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};

// Set before any session starts, read by each.
std::string& extraRootsFile() {
    static std::string file;
    return file;
}

bool isDottedQuad(const char* host) {
    in_addr address;
    return inet_pton(AF_INET, host, &address) == 1;
}

// OpenSSL works on two memory buffers; this class moves their bytes to and
// from the transport, outside OpenSSL's own calls, so that the transport's
// exceptions never cross OpenSSL's C frames.
class OpenSslSession final : public TlsSession {
public:
    explicit OpenSslSession(TlsTransport& transport) : transport_(transport) {}

    bool start() {
        context_.reset(SSL_CTX_new(TLS_client_method()));
        if (!context_ || SSL_CTX_set_min_proto_version(context_.get(), TLS1_2_VERSION) != 1 ||
            SSL_CTX_set_default_verify_paths(context_.get()) != 1)
            return false;
        const std::string& extra = extraRootsFile();
        if (!extra.empty() && SSL_CTX_load_verify_locations(context_.get(), extra.c_str(), nullptr) != 1)
            return false;
        SSL_CTX_set_verify(context_.get(), SSL_VERIFY_PEER, nullptr);
        ssl_.reset(SSL_new(context_.get()));
        if (!ssl_) return false;
        BIO* in = BIO_new(BIO_s_mem());
        BIO* out = BIO_new(BIO_s_mem());
        if (!in || !out) {
            BIO_free(in);
            BIO_free(out);
            return false;
        }
        // A memory buffer that runs dry asks for more instead of ending.
        BIO_set_mem_eof_return(in, -1);
        SSL_set_bio(ssl_.get(), in, out);
        in_ = in;
        out_ = out;
        return true;
    }

    bool handshake(const char* host) override {
        SSL* ssl = ssl_.get();
        // An address is checked against the certificate's addresses, a name
        // against its names, and only a name is sent to pick a certificate.
        if (isDottedQuad(host)) {
            if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host) != 1) return false;
        } else if (SSL_set1_host(ssl, host) != 1 || SSL_set_tlsext_host_name(ssl, host) != 1) {
            return false;
        }
        SSL_set_connect_state(ssl);
        for (;;) {
            const int result = SSL_do_handshake(ssl);
            flush();
            if (result == 1) return SSL_get_verify_result(ssl) == X509_V_OK;
            if (SSL_get_error(ssl, result) != SSL_ERROR_WANT_READ) return false;
            feed();
        }
    }

    bool send(const void* data, std::uint32_t length) override {
        const auto* next = static_cast<const std::uint8_t*>(data);
        while (length != 0) {
            const int result =
                SSL_write(ssl_.get(), next, static_cast<int>(std::min<std::uint32_t>(length, INT_MAX)));
            flush();
            if (result > 0) {
                next += result;
                length -= static_cast<std::uint32_t>(result);
            } else if (SSL_get_error(ssl_.get(), result) == SSL_ERROR_WANT_READ) {
                feed();
            } else {
                return false;
            }
        }
        return true;
    }

    std::int32_t receive(void* buffer, std::uint32_t capacity) override {
        for (;;) {
            const int result =
                SSL_read(ssl_.get(), buffer, static_cast<int>(std::min<std::uint32_t>(capacity, INT_MAX)));
            if (result > 0) return result;
            const int error = SSL_get_error(ssl_.get(), result);
            // A session ticket or key update may want an answer.
            flush();
            if (error == SSL_ERROR_ZERO_RETURN) return 0;
            if (error != SSL_ERROR_WANT_READ) return -1;
            feed();
        }
    }

private:
    // Sends what OpenSSL has written.
    void flush() {
        char bytes[16384];
        while (BIO_ctrl_pending(out_) > 0) {
            const int count = BIO_read(out_, bytes, sizeof bytes);
            if (count <= 0) return;
            transport_.send(bytes, static_cast<std::uint32_t>(count));
        }
    }
    // Hands OpenSSL the next bytes from the server: as many as have arrived,
    // so that a fast transfer costs few receives.
    void feed() {
        const std::uint32_t count = transport_.receive(incoming_.get(), kIncomingCapacity);
        BIO_write(in_, incoming_.get(), static_cast<int>(count));
    }

    static constexpr std::uint32_t kIncomingCapacity = 256 * 1024;
    const std::unique_ptr<std::uint8_t[]> incoming_ = std::make_unique<std::uint8_t[]>(kIncomingCapacity);

    TlsTransport& transport_;
    std::unique_ptr<SSL_CTX, ContextFree> context_;
    std::unique_ptr<SSL, SslFree> ssl_;
    // Owned by ssl_.
    BIO* in_ = nullptr;
    BIO* out_ = nullptr;
};

}  // namespace

std::unique_ptr<TlsSession> startTlsSession(TlsTransport& transport) {
    auto session = std::make_unique<OpenSslSession>(transport);
    if (!session->start()) return nullptr;
    return session;
}

bool trustRootsAlsoFrom(const char* pemFile) {
    // Read once here, so that a file without a certificate is told at once
    // rather than failing every session.
    std::unique_ptr<X509_STORE, StoreFree> store(X509_STORE_new());
    if (!store || X509_STORE_load_file(store.get(), pemFile) != 1) return false;
    extraRootsFile() = pemFile;
    return true;
}

}  // namespace tarnwick::platform
