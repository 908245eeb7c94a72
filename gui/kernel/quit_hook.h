#pragma once
// Quit hooks: objects that a quit request asks before it goes on. A modal run links one that vetoes
// the quit while its dialog runs; the same list tells which boxes are pending. A hook links itself
// on construction and unlinks itself on destruction; its creator owns it (usually on the stack).
class GDialog;

class QuitHook {
public:
    QuitHook();
    virtual ~QuitHook();
    QuitHook(const QuitHook&) = delete;
    QuitHook& operator=(const QuitHook&) = delete;

    virtual GDialog* ownerDialog() { return nullptr; }
    virtual bool vetoQuit() { return false; }

    QuitHook* previous = nullptr;
    QuitHook* next = nullptr;
};

QuitHook* firstQuitHook();
// True when a hook vetoes.
bool quitVetoed();
