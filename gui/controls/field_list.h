#pragma once
// GFieldBinding: the record a bound field (check box, radio box, value field) links into its
// dialog's GFieldList: check raises GVerifyException on a bad value, commit writes the value back.
// The list owns the records it holds; a dialog owns its list.
#include "core/types.h"

class GFieldBinding {
public:
    virtual ~GFieldBinding() = default;
    virtual void check() {}
    virtual void commit() {}
    virtual void setValue() {}

    GFieldBinding* next = nullptr;
};

class GFieldList : public GFieldBinding {
public:
    GFieldList() = default;
    ~GFieldList() override;
    GFieldList(const GFieldList&) = delete;
    GFieldList& operator=(const GFieldList&) = delete;

    // At the head: the list runs from the last-built field to the first.
    void link(GFieldBinding* record);
    // Checks every record; the best-placed failure (a visible, enabled field first; among equals
    // the first caught) is raised again after the walk.
    void check() override;
    // Commits every record.
    void commit() override;

    GFieldBinding* head = nullptr;
};

// How well a failing field can be shown: 0 no field, 1 a layout cell, 2 a visible child window,
// 3 also enabled.
i32 failureRank(void* field);
