#include "engine/change_guard.h"

#include <exception>

ChangeGuard::ChangeGuard(SoundStore* store, RangeChange& change)
    : store(store), exceptions(std::uncaught_exceptions()) {
    change.guard = this;
    this->change = change;
}

ChangeGuard::~ChangeGuard() {
    if (std::uncaught_exceptions() <= exceptions || written >= change.newLength) return;
    QuietStore quiet(store);
    try {
        fillNewBytes(*store, change, written);
    } catch (...) {
    }
}

QuietStore::QuietStore(SoundStore* store)
    : store(store), work(store->workFile.handler), source(store->sourceFile.handler) {
    store->workFile.handler = store->sourceFile.handler = nullptr;
}

QuietStore::~QuietStore() {
    store->workFile.handler = work;
    store->sourceFile.handler = source;
}
