#include "core/wmbus/TelegramCipher.h"

#include <memory>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

namespace tovan {
namespace {

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
struct MacFree {
    void operator()(EVP_MAC* mac) const { EVP_MAC_free(mac); }
};
struct MacContextFree {
    void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};

// One pass of AES-128 over `in` without padding: what goes in comes out, byte for byte.
bool run(const EVP_CIPHER* cipher, bool encrypt, const AesKey& key, const AesBlock& iv, ByteView in,
         std::uint8_t* out) {
    if (in.size > static_cast<std::size_t>(INT32_MAX))
        return false;
    if (in.size == 0)
        return true;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
    int written = 0;
    int last = 0;
    return context &&
           EVP_CipherInit_ex(context.get(), cipher, nullptr, key.data(), iv.data(),
                             encrypt ? 1 : 0) == 1 &&
           EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1 &&
           EVP_CipherUpdate(context.get(), out, &written, in.data, static_cast<int>(in.size)) ==
               1 &&
           EVP_CipherFinal_ex(context.get(), out + written, &last) == 1 &&
           static_cast<std::size_t>(written + last) == in.size;
}

} // namespace

bool TelegramCipher::decryptCbc(const AesKey& key, const AesBlock& iv, ByteView in,
                                std::uint8_t* out) {
    return in.size % 16 == 0 && run(EVP_aes_128_cbc(), false, key, iv, in, out);
}

bool TelegramCipher::encryptCbc(const AesKey& key, const AesBlock& iv, ByteView in,
                                std::uint8_t* out) {
    return in.size % 16 == 0 && run(EVP_aes_128_cbc(), true, key, iv, in, out);
}

bool TelegramCipher::cryptCtr(const AesKey& key, const AesBlock& counter, ByteView in,
                              std::uint8_t* out) {
    return run(EVP_aes_128_ctr(), true, key, counter, in, out);
}

bool TelegramCipher::cmac(const AesKey& key, ByteView message, AesBlock& mac) {
    std::unique_ptr<EVP_MAC, MacFree> algorithm(EVP_MAC_fetch(nullptr, "CMAC", nullptr));
    if (!algorithm)
        return false;
    std::unique_ptr<EVP_MAC_CTX, MacContextFree> context(EVP_MAC_CTX_new(algorithm.get()));
    char cipherName[] = "AES-128-CBC";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, cipherName, 0),
        OSSL_PARAM_construct_end()};
    std::size_t length = 0;
    return context && EVP_MAC_init(context.get(), key.data(), key.size(), params) == 1 &&
           EVP_MAC_update(context.get(), message.data, message.size) == 1 &&
           EVP_MAC_final(context.get(), mac.data(), &length, mac.size()) == 1 &&
           length == mac.size();
}

} // namespace tovan
