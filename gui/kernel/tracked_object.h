#pragma once
// GTrackedObject: the root of every toolkit object that has a life record. The record outlives the
// object while anyone holds it; the object's end marks it dead and drops the object's reference.
// GItemBase makes the record; whoever created the object deletes it (windows delete themselves
// when their native window ends, see GWindow).
#include "gui/kernel/life_record.h"

class GTrackedObject {
public:
    virtual ~GTrackedObject();
    GTrackedObject(const GTrackedObject&) = delete;
    GTrackedObject& operator=(const GTrackedObject&) = delete;

    GLifeRecord* lifeRecord() const { return life; }

protected:
    GTrackedObject() = default;
    GLifeRecord* life = nullptr;
};

// Holds a reference on a life record for a scope: after a call, alive() tells whether the object
// survived it.
class LifeGuard {
public:
    explicit LifeGuard(GLifeRecord* record) : record(record) { if (record) record->addRef(); }
    ~LifeGuard() { if (record) record->release(); }
    LifeGuard(const LifeGuard&) = delete;
    LifeGuard& operator=(const LifeGuard&) = delete;
    bool alive() const { return record && record->alive(); }

private:
    GLifeRecord* record;
};
