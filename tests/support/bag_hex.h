#pragma once
// Bags as hexadecimal texts, for byte-exact fixtures.
#include <string>

#include "core/bag.h"

// The bag's bytes (its size) as upper-case pairs separated by single spaces.
std::string bagHex(const GBag& bag);
// A bag holding the bytes of a text of hexadecimal pairs (spaces ignored), at position 0.
void bagFromHex(GBag& bag, const char* hex);
// The bytes of a hexadecimal text.
std::string bytesFromHex(const char* hex);
