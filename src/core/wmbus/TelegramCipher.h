#pragma once

#include "core/wmbus/ByteView.h"

#include <array>
#include <cstdint>

namespace tovan {

using AesKey = std::array<std::uint8_t, 16>;
using AesBlock = std::array<std::uint8_t, 16>;

// AES-128 as wireless M-Bus uses it, done by OpenSSL's libcrypto: CBC for the transport
// layer's security modes 5 and 7, CTR for the extended link layer, CMAC for mode 7's key
// derivation. Each call is complete in itself; false when libcrypto fails or the input is
// not whole blocks where CBC needs them.
class TelegramCipher {
public:
    static bool decryptCbc(const AesKey& key, const AesBlock& iv, ByteView in, std::uint8_t* out);
    static bool encryptCbc(const AesKey& key, const AesBlock& iv, ByteView in, std::uint8_t* out);
    // Encrypts and decrypts alike: any length, the counter block counting up from `counter`.
    static bool cryptCtr(const AesKey& key, const AesBlock& counter, ByteView in,
                         std::uint8_t* out);
    static bool cmac(const AesKey& key, ByteView message, AesBlock& mac);
};

} // namespace tovan
