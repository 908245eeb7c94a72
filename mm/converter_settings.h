#pragma once
// The converter's remembered targets: for each kind of source (a text key), the tree path of the
// target chosen last, kept as the bytes the tree wrote. Keys are ordered by their bytes.
#include <map>
#include <string>

#include "core/bag.h"

typedef std::map<std::string, GBag> RecentConversions;

struct ConverterSettings {
    // Each entry in key order as the key and its NUL, u32 n and n bytes; then one NUL byte.
    static void saveRecent(GBag* bag, const RecentConversions& list);
    // Empties the list and reads entries up to the empty key; a damaged value throws GBagException,
    // keeping the entries read before it.
    static void loadRecent(GBag* bag, RecentConversions& list);
    static void copyRecent(RecentConversions& target, const RecentConversions& source);
};
