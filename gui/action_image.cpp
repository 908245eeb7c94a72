#include "gui/action_image.h"

#include <unordered_set>

#include "gui/drawable.h"

namespace {
std::unordered_set<void*>& drawables() {
    static std::unordered_set<void*> set;
    return set;
}
}  // namespace

void registerActionDrawable(GDrawable* drawable) { drawables().insert(drawable); }

void unregisterActionDrawable(GDrawable* drawable) { drawables().erase(drawable); }

GDrawable* actionDrawable(void* image) {
    return image && drawables().count(image) ? static_cast<GDrawable*>(image) : nullptr;
}
