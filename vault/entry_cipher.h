// The entry cipher: a small deterministic byte cipher keyed by the sum of the
// key's bytes. It turns the master password into its stored verifier and
// enciphers every bookmark record. Every constant here is a persisted format:
// data written by one version must stay readable by the next.
//
// It only obfuscates: anyone holding the store file can recover the entries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zn {

// The generator: a linear congruential sequence scaled to 0..99.
class CipherDraws {
public:
    explicit CipherDraws(std::uint32_t seed) : state_(seed) {}
    static CipherDraws fromKey(const std::string& key);
    unsigned next();

private:
    std::uint32_t state_;
};

// The draws of one key as byte shifts, made once and reused: every text
// enciphered under a key meets the same sequence from its first byte, so a
// whole list costs one add or subtract per byte. Grows as longer texts come.
class CipherKeystream {
public:
    explicit CipherKeystream(const std::string& key);
    std::string encipher(const std::string& plain);
    // Deciphers text into plain (its buffer reused); false when the marker is
    // wrong, plain then holding nothing useful.
    bool decipherInto(std::string_view text, std::string& plain);
    std::string decipher(const std::string& text);

private:
    const unsigned char* shifts(std::size_t count);

    CipherDraws draws_;
    std::string shifts_;
};

// "*" + plain, each byte shifted up by one draw. One byte longer than plain.
std::string Encipher(const std::string& plain, const std::string& key);
// The plain text, or "" when the key is wrong or text did not come from Encipher.
std::string Decipher(const std::string& text, const std::string& key);
// The password enciphered under itself: what is stored and compared at unlock.
std::string MakeVerifier(const std::string& password);

}  // namespace zn
