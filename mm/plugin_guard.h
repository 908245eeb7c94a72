#pragma once
// Containment of faults inside plug-in code: a call run through containPluginFaults that takes an
// access violation (or another processor fault) is broken off where it faulted and answers false;
// the program goes on. A process-wide vectored handler, installed on first use, jumps back to the
// innermost contained call of the faulting thread; faults outside contained calls pass on untouched.
//
// The body must hold no object with a destructor: a fault skips everything between the fault and
// the contained call.

// Runs call(context); false when it faulted.
bool runPluginContained(void (*call)(void* context), void* context);

template <class F>
bool containPluginFaults(F&& body) {
    return runPluginContained([](void* context) { (*static_cast<F*>(context))(); }, &body);
}
