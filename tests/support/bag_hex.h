#pragma once
// Bags as hexadecimal texts, for byte-exact fixtures.
#include <string>

#include "core/bag.h"

// The bag's bytes (its size) as upper-case pairs separated by single spaces.
std::string bagHex(const GBag& bag);
// The same for the bytes of a string.
std::string bytesHex(const std::string& bytes);
// A bag holding the bytes of a text of hexadecimal pairs (spaces ignored), at position 0.
void bagFromHex(GBag& bag, const char* hex);
// The bytes of a hexadecimal text.
std::string bytesFromHex(const char* hex);

// A stored record laid down at fixed offsets over zeros: little-endian numbers, texts padded with zeros.
struct FixedBytes {
    explicit FixedBytes(size_t size) : bytes(size, '\0') {}
    FixedBytes& u16At(size_t at, u16 value);
    FixedBytes& u32At(size_t at, u32 value);
    FixedBytes& textAt(size_t at, const char* text);
    std::string bytes;
};
