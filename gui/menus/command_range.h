#pragma once
// CommandRange: one u32 value per command id of first..last (the colours of a colour group), and
// on first use a colour swatch per id that becomes the action's image. The range owns its values
// and swatches; whoever holds the range deletes it.
#include "core/types.h"
#include "gui/paint/color_swatch.h"

class CommandRange {
public:
    // Values start at 0.
    CommandRange(i32 first, i32 last);
    // Copies the ids, flag, value and values; the swatches are not copied.
    CommandRange(const CommandRange& other);
    CommandRange& operator=(const CommandRange& other) {
        assign(other);
        return *this;
    }
    virtual ~CommandRange();

    // Takes the other's ids, values and flag; the swatches go (actions showing them lose the image).
    void assign(const CommandRange& other);
    // Builds the swatches when there are none and makes each the image of its id's action.
    void ensureEntries();

    u32 count() const { return (u32)(last - first + 1); }
    bool contains(i32 id) const { return id >= first && id <= last; }
    u32& valueOf(i32 id) { return values[id - first]; }
    ColorSwatch* swatch(i32 id) const { return swatches ? &swatches[id - first] : nullptr; }

    i32 first;
    i32 last;
    ColorSwatch* swatches = nullptr;
    u32* values;
    u8 flag = 0;
    u32 value = 0;

private:
    // Takes the swatches out of the actions that show them, then deletes them.
    void releaseEntries();
};
