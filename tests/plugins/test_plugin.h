#pragma once
// The frame of the tests' own plug-in libraries: an effect record bound to an object whose virtual
// operations answer the host. effClose deletes the object (see close).
#include <cstring>

#include "mm/plugin_interface.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

// A write through a null pointer.
inline void crashPlugin() { *(volatile int*)nullptr = 1; }

class TestPlugin {
public:
    TestPlugin(audioMasterCallback host, i32 inputs, i32 outputs, i32 parameters, i32 programs, i32 flags)
        : host(host) {
        effect.magic = kEffectMagic;
        effect.dispatcher = [](AEffect* e, i32 op, i32 index, intptr_t value, void* ptr, f32 opt) -> intptr_t {
            TestPlugin* self = static_cast<TestPlugin*>(e->object);
            if (op != effClose) return self->dispatch(op, index, value, ptr, opt);
            self->close();
            return 1;
        };
        effect.setParameter = [](AEffect* e, i32 index, f32 value) {
            static_cast<TestPlugin*>(e->object)->setParameter(index, value);
        };
        effect.getParameter = [](AEffect* e, i32 index) {
            return static_cast<TestPlugin*>(e->object)->getParameter(index);
        };
        effect.processReplacing = [](AEffect* e, f32** in, f32** out, i32 frames) {
            static_cast<TestPlugin*>(e->object)->process(in, out, frames);
        };
        effect.numInputs = inputs;
        effect.numOutputs = outputs;
        effect.numParams = parameters;
        effect.numPrograms = programs;
        effect.flags = flags | effFlagsCanReplacing;
        effect.uniqueID = 0x52617654;
        effect.version = 1;
        effect.object = this;
    }
    virtual ~TestPlugin() = default;

    virtual intptr_t dispatch(i32 op, i32 index, intptr_t value, void* ptr, f32 opt) {
        (void)index;
        (void)value;
        (void)opt;
        switch (op) {
        case effGetEffectName: strcpy((char*)ptr, name); return 1;
        case effGetVendorString: strcpy((char*)ptr, "Ravo tests"); return 1;
        case effGetProductString: strcpy((char*)ptr, name); return 1;
        case effGetVendorVersion: return 7;
        case effGetProgram: return program;
        case effSetProgram: program = (i32)value; return 0;
        default: return 0;
        }
    }
    // effClose; deletes the object unless a plug-in keeps it.
    virtual void close() { delete this; }
    virtual void process(f32** inputs, f32** outputs, i32 frames) = 0;
    virtual void setParameter(i32, f32) {}
    virtual f32 getParameter(i32) { return 0.0f; }

    intptr_t ask(i32 op, i32 index = 0, intptr_t value = 0, void* ptr = nullptr) {
        return host(&effect, op, index, value, ptr, 0.0f);
    }

    AEffect effect{};
    audioMasterCallback host;
    const char* name = "Test";
    i32 program = 0;
};
