#include "installer/platform/Tls.h"

#include "installer/platform/Socket.h"

#define SECURITY_WIN32
#include <windows.h>

#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tarnwick::platform {

namespace {

struct CertificateFree {
    void operator()(const CERT_CONTEXT* certificate) const { CertFreeCertificateContext(certificate); }
};
struct ChainFree {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};
struct StoreClose {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreClose>;

// The roots that trustRootsAlsoFrom added, for the life of the process.
Store& extraRoots() {
    static Store store;
    return store;
}

// The policy's flag (wininet's SECURITY_FLAG_IGNORE_CERT_CN_INVALID) that
// skips its own name check.
constexpr DWORD kIgnoreCommonName = 0x00001000;

// True when the certificate names the address (host byte order) among its
// alternative names. The system's policy check matches host names alone.
bool namesAddress(const CERT_CONTEXT* certificate, std::uint32_t address) {
    const CERT_EXTENSION* extension = CertFindExtension(
        szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension, certificate->pCertInfo->rgExtension);
    CERT_ALT_NAME_INFO* names = nullptr;
    DWORD size = 0;
    if (!extension ||
        !CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size))
        return false;
    const std::uint8_t wanted[4] = {
        static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS && entry.IPAddress.cbData == 4 &&
                std::memcmp(entry.IPAddress.pbData, wanted, 4) == 0;
    }
    LocalFree(names);
    return found;
}

// The session's own buffers of ciphertext and plaintext grow and shrink at
// the front; this keeps the bytes not yet taken.
void dropFront(std::vector<std::uint8_t>& bytes, std::size_t count) {
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

class SchannelSession final : public TlsSession {
public:
    explicit SchannelSession(TlsTransport& transport) : transport_(transport) {}

    ~SchannelSession() override {
        if (haveContext_) DeleteSecurityContext(&context_);
        if (haveCredentials_) FreeCredentialsHandle(&credentials_);
    }

    bool handshake(const char* host) override {
        // The certificate is checked here, against the roots and names this
        // program decides, rather than by the provider.
        SCHANNEL_CRED settings = {};
        settings.dwVersion = SCHANNEL_CRED_VERSION;
        settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        if (AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr,
                                      &settings, nullptr, nullptr, &credentials_, nullptr) != SEC_E_OK)
            return false;
        haveCredentials_ = true;

        std::string target = host;
        const ULONG wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                             ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM | ISC_REQ_EXTENDED_ERROR |
                             ISC_REQ_MANUAL_CRED_VALIDATION;
        for (;;) {
            SecBuffer input[2] = {{static_cast<ULONG>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                                  {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inputs = {SECBUFFER_VERSION, 2, input};
            SecBuffer output = {0, SECBUFFER_TOKEN, nullptr};
            SecBufferDesc outputs = {SECBUFFER_VERSION, 1, &output};
            ULONG granted = 0;
            const SECURITY_STATUS status = InitializeSecurityContextA(
                &credentials_, haveContext_ ? &context_ : nullptr, target.data(), wanted, 0, 0,
                haveContext_ ? &inputs : nullptr, 0, &context_, &outputs, &granted, nullptr);
            if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) haveContext_ = true;
            if (output.pvBuffer) {
                const std::vector<std::uint8_t> token(
                    static_cast<std::uint8_t*>(output.pvBuffer),
                    static_cast<std::uint8_t*>(output.pvBuffer) + output.cbBuffer);
                FreeContextBuffer(output.pvBuffer);
                if (!token.empty()) transport_.send(token.data(), static_cast<std::uint32_t>(token.size()));
            }
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                receiveMore();
                continue;
            }
            if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return false;
            // Bytes behind the handshake message belong to what follows it.
            if (input[1].BufferType == SECBUFFER_EXTRA)
                dropFront(incoming_, incoming_.size() - input[1].cbBuffer);
            else
                incoming_.clear();
            if (status == SEC_E_OK) break;
            if (incoming_.empty()) receiveMore();
        }
        return QueryContextAttributesA(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) == SEC_E_OK &&
               certificateTrusted(host);
    }

    bool send(const void* data, std::uint32_t length) override {
        const auto* next = static_cast<const std::uint8_t*>(data);
        while (length != 0) {
            const std::uint32_t chunk = std::min<std::uint32_t>(length, sizes_.cbMaximumMessage);
            std::vector<std::uint8_t> message(sizes_.cbHeader + chunk + sizes_.cbTrailer);
            std::memcpy(message.data() + sizes_.cbHeader, next, chunk);
            SecBuffer parts[4] = {
                {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, message.data()},
                {chunk, SECBUFFER_DATA, message.data() + sizes_.cbHeader},
                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, message.data() + sizes_.cbHeader + chunk},
                {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc description = {SECBUFFER_VERSION, 4, parts};
            if (EncryptMessage(&context_, 0, &description, 0) != SEC_E_OK) return false;
            transport_.send(message.data(), parts[0].cbBuffer + parts[1].cbBuffer + parts[2].cbBuffer);
            next += chunk;
            length -= chunk;
        }
        return true;
    }

    std::int32_t receive(void* buffer, std::uint32_t capacity) override {
        for (;;) {
            if (plainStart_ < plain_.size()) {
                const std::uint32_t count =
                    static_cast<std::uint32_t>(std::min<std::size_t>(capacity, plain_.size() - plainStart_));
                std::memcpy(buffer, plain_.data() + plainStart_, count);
                plainStart_ += count;
                return static_cast<std::int32_t>(std::min<std::uint32_t>(count, 0x7FFFFFFF));
            }
            if (ended_) return 0;
            if (!incoming_.empty()) {
                SecBuffer parts[4] = {
                    {static_cast<ULONG>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
                    {0, SECBUFFER_EMPTY, nullptr},
                    {0, SECBUFFER_EMPTY, nullptr},
                    {0, SECBUFFER_EMPTY, nullptr}};
                SecBufferDesc description = {SECBUFFER_VERSION, 4, parts};
                const SECURITY_STATUS status = DecryptMessage(&context_, &description, 0, nullptr);
                if (status == SEC_E_OK || status == SEC_I_CONTEXT_EXPIRED) {
                    plain_.clear();
                    plainStart_ = 0;
                    std::size_t extra = 0;
                    for (const SecBuffer& part : parts) {
                        if (part.BufferType == SECBUFFER_DATA)
                            plain_.assign(static_cast<std::uint8_t*>(part.pvBuffer),
                                          static_cast<std::uint8_t*>(part.pvBuffer) + part.cbBuffer);
                        if (part.BufferType == SECBUFFER_EXTRA) extra = part.cbBuffer;
                    }
                    dropFront(incoming_, incoming_.size() - extra);
                    // The server's closing alert. Wine's provider reports it
                    // as a record without data; taking any such record for
                    // the end at worst cuts a transfer short, which the next
                    // run resumes, and never completes one.
                    if (status == SEC_I_CONTEXT_EXPIRED || plain_.empty()) ended_ = true;
                    continue;
                }
                if (status != SEC_E_INCOMPLETE_MESSAGE) return -1;
            }
            receiveMore();
        }
    }

private:
    void receiveMore() {
        std::uint8_t bytes[16384];
        const std::uint32_t count = transport_.receive(bytes, sizeof bytes);
        incoming_.insert(incoming_.end(), bytes, bytes + count);
    }

    // The chain must lead to a trusted root (the system's, or one that
    // trustRootsAlsoFrom added) and name host, within its dates.
    bool certificateTrusted(const char* host) {
        const CERT_CONTEXT* remote = nullptr;
        if (QueryContextAttributesA(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK ||
            !remote)
            return false;
        const std::unique_ptr<const CERT_CONTEXT, CertificateFree> certificate(remote);

        // The server's own intermediates, and the added roots so that a chain
        // can reach them.
        Store candidates(CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr));
        if (!candidates) return false;
        if (remote->hCertStore) CertAddStoreToCollection(candidates.get(), remote->hCertStore, 0, 0);
        if (extraRoots()) CertAddStoreToCollection(candidates.get(), extraRoots().get(), 0, 0);

        LPSTR usage = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
        CERT_CHAIN_PARA chainPara = {};
        chainPara.cbSize = sizeof chainPara;
        chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
        chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
        chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = &usage;
        const CERT_CHAIN_CONTEXT* rawChain = nullptr;
        if (!CertGetCertificateChain(nullptr, remote, nullptr, candidates.get(), &chainPara, 0, nullptr,
                                     &rawChain))
            return false;
        const std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFree> chain(rawChain);

        std::wstring name(host, host + std::strlen(host));
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = name.data();
        // An address is matched here; the policy then checks all else.
        std::uint32_t address = 0;
        if (parseDottedQuad(host, address)) {
            if (!namesAddress(remote, address)) return false;
            ssl.fdwChecks = kIgnoreCommonName;
        }
        // The chain's own verdict first: not every policy check counts a
        // chain that reaches no root at all as untrusted. A root the system
        // does not know passes only when it is one of the added ones.
        DWORD errors = chain->TrustStatus.dwErrorStatus;
        const bool addedRoot = (errors & CERT_TRUST_IS_UNTRUSTED_ROOT) && isAddedRoot(*chain);
        if (addedRoot) errors &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
        if (errors != CERT_TRUST_NO_ERROR) return false;

        CERT_CHAIN_POLICY_PARA policy = {};
        policy.cbSize = sizeof policy;
        policy.dwFlags = addedRoot ? CERT_CHAIN_POLICY_ALLOW_UNKNOWN_CA_FLAG : 0;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS result = {};
        result.cbSize = sizeof result;
        return CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &result) &&
               result.dwError == 0;
    }

    static bool isAddedRoot(const CERT_CHAIN_CONTEXT& chain) {
        if (!extraRoots() || chain.cChain == 0 || chain.rgpChain[0]->cElement == 0) return false;
        const CERT_SIMPLE_CHAIN* simple = chain.rgpChain[0];
        const CERT_CONTEXT* root = simple->rgpElement[simple->cElement - 1]->pCertContext;
        const CERT_CONTEXT* found = CertFindCertificateInStore(extraRoots().get(), X509_ASN_ENCODING, 0,
                                                               CERT_FIND_EXISTING, root, nullptr);
        if (!found) return false;
        CertFreeCertificateContext(found);
        return true;
    }

    TlsTransport& transport_;
    CredHandle credentials_ = {};
    CtxtHandle context_ = {};
    bool haveCredentials_ = false;
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_ = {};
    std::vector<std::uint8_t> incoming_;
    std::vector<std::uint8_t> plain_;
    std::size_t plainStart_ = 0;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<TlsSession> startTlsSession(TlsTransport& transport) {
    return std::make_unique<SchannelSession>(transport);
}

bool trustRootsAlsoFrom(const char* pemFile) {
    std::ifstream file(pemFile, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    Store store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (!store) return false;
    static const std::string kBegin = "-----BEGIN CERTIFICATE-----";
    static const std::string kEnd = "-----END CERTIFICATE-----";
    bool any = false;
    for (std::size_t at = text.find(kBegin); at != std::string::npos; at = text.find(kBegin, at + 1)) {
        const std::size_t end = text.find(kEnd, at);
        if (end == std::string::npos) break;
        const std::string block = text.substr(at, end + kEnd.size() - at);
        DWORD length = 0;
        if (!CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                  nullptr, &length, nullptr, nullptr))
            continue;
        std::vector<BYTE> der(length);
        if (CryptStringToBinaryA(block.c_str(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                 der.data(), &length, nullptr, nullptr) &&
            CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(), length,
                                             CERT_STORE_ADD_ALWAYS, nullptr))
            any = true;
    }
    if (!any) return false;
    extraRoots() = std::move(store);
    return true;
}

}  // namespace tarnwick::platform
