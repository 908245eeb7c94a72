#pragma once
// The update tests' key pair (made by the build with openssl) and signatures made with it.
#include <string>
#include <vector>

#include "core/types.h"

const std::vector<u8>& testPublicKey();
// The detached signature of the version text, a zero byte and the bytes, as the release tools make it.
std::string signUpdate(const std::string& version, const std::string& bytes);
