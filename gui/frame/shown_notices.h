#pragma once
// Show-once notices: the sorted set of keys of the hints already shown, saved and loaded by a
// start/stop step. One process-wide set.
#include <vector>

#include "core/types.h"

// False when the key was shown before; else marks it and shows the text in the information box.
bool showNoticeOnce(u32 key, const char* text);
void markNoticeShown(u32 key);
// The key's index in the set, or -1.
i32 findNotice(u32 key);
const std::vector<u32>& shownNotices();
// u32 count, then the keys; folder macros in the path are expanded.
bool saveNotices(const char* path);
// Any failure leaves the set empty.
void loadNotices(const char* path);
