#pragma once
// Stand-in for the device settings entry until the settings records exist.
#include "core/types.h"

struct DeviceSettingsEntry;

class DeviceSettingsListener {
public:
    virtual void onSettingsChanged(DeviceSettingsEntry* entry, u32 mask) = 0;

protected:
    ~DeviceSettingsListener() = default;
};

struct DeviceListenerNode {
    DeviceListenerNode* previous = nullptr;
    DeviceListenerNode* next = nullptr;
    DeviceSettingsListener* listener = nullptr;
    DeviceSettingsEntry* entry = nullptr;
};

const u32 deviceFade = 0x01, deviceLoop = 0x02;

struct DeviceSettingsEntry {
    u32 deviceId = 0;
    i32 gainDb = 0;
    i32 limitDb = 0;
    u32 switches = 0;
    DeviceListenerNode* first = nullptr;
    DeviceListenerNode* last = nullptr;
};

inline void deviceListLink(DeviceListenerNode* node, DeviceSettingsEntry* entry, DeviceSettingsListener* listener) {
    if (DeviceSettingsEntry* old = node->entry) {
        if (node->previous) node->previous->next = node->next; else old->first = node->next;
        if (node->next) node->next->previous = node->previous; else old->last = node->previous;
    }
    node->previous = node->next = nullptr;
    node->entry = entry;
    node->listener = listener;
    if (!entry) return;
    node->previous = entry->last;
    if (entry->last) entry->last->next = node; else entry->first = node;
    entry->last = node;
}

inline void notifyDeviceListeners(DeviceSettingsEntry* entry, u32 mask, DeviceSettingsListener* except) {
    for (DeviceListenerNode* n = entry->first; n; n = n->next)
        if (n->listener && n->listener != except) n->listener->onSettingsChanged(entry, mask);
}
