// SHA-256 (FIPS 180-4) of a byte string: the fingerprint of a test file in the results.
#ifndef KAVLAB_SHA256_H
#define KAVLAB_SHA256_H

#include <string>

/// The SHA-256 digest of `bytes` as 64 lower-case hexadecimal digits.
std::string sha256_hex(const std::string& bytes);

#endif
