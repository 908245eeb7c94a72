#include "mm/converter_settings.h"

void ConverterSettings::saveRecent(GBag* bag, const RecentConversions& list) {
    for (const auto& entry : list) {
        bagWriteString(*bag, entry.first.c_str());
        bagWriteBlock(*bag, entry.second);
    }
    bagWriteU8(*bag, 0);
}

void ConverterSettings::loadRecent(GBag* bag, RecentConversions& list) {
    list.clear();
    for (;;) {
        const char* key = bagReadText(*bag);
        if (!*key) return;
        std::string name(key);
        GBag value;
        bagReadString(*bag, value);
        list[name] = std::move(value);
    }
}

void ConverterSettings::copyRecent(RecentConversions& target, const RecentConversions& source) {
    if (&target == &source) return;
    target.clear();
    for (const auto& entry : source) bagAssign(target[entry.first], entry.second);
}
