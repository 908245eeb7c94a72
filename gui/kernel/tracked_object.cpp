#include "gui/kernel/tracked_object.h"

GTrackedObject::~GTrackedObject() {
    if (!life) return;
    life->object = nullptr;
    GLifeRecord* record = life;
    life = nullptr;
    record->release();
}
