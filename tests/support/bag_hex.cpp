#include "tests/support/bag_hex.h"

#include <cctype>
#include <cstdio>

std::string bagHex(const GBag& bag) {
    std::string text;
    char pair[4];
    for (u32 i = 0; i < bag.size; ++i) {
        snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bag.data[i]);
        text += pair;
    }
    return text;
}

std::string bytesHex(const std::string& bytes) {
    GBag bag;
    bagWriteBytes(bag, bytes.data(), (u32)bytes.size());
    return bagHex(bag);
}

std::string bytesFromHex(const char* hex) {
    std::string bytes;
    int high = -1;
    for (; *hex; ++hex) {
        if (!isxdigit((unsigned char)*hex)) continue;
        int digit = isdigit((unsigned char)*hex) ? *hex - '0' : (toupper((unsigned char)*hex) - 'A' + 10);
        if (high < 0) {
            high = digit;
        } else {
            bytes += (char)(high * 16 + digit);
            high = -1;
        }
    }
    return bytes;
}

void bagFromHex(GBag& bag, const char* hex) {
    std::string bytes = bytesFromHex(hex);
    bagFree(bag);
    bagWriteBytes(bag, bytes.data(), (u32)bytes.size());
    bag.pos = 0;
}

FixedBytes& FixedBytes::u16At(size_t at, u16 value) {
    for (int i = 0; i < 2; ++i) bytes.at(at + i) = (char)(value >> (8 * i));
    return *this;
}

FixedBytes& FixedBytes::u32At(size_t at, u32 value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = (char)(value >> (8 * i));
    return *this;
}

FixedBytes& FixedBytes::textAt(size_t at, const char* text) {
    for (size_t i = 0; text[i]; ++i) bytes.at(at + i) = text[i];
    return *this;
}
