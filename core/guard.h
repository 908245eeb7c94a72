#pragma once
// Entry points that Win32 calls (window procedures, thread routines, device and timer callbacks)
// must not let an exception unwind into foreign frames: the process would abort. Run their bodies
// through callGuarded, which catches everything and hands it to a carrier; the code that owns the
// carrier rethrows or reports it where the failure is handled.
#include <exception>
#include <mutex>
#include <utility>

class ExceptionCarrier {
public:
    void store(std::exception_ptr e) {
        std::lock_guard<std::mutex> locked(lock);
        if (!caught) caught = std::move(e);
    }
    bool holds() {
        std::lock_guard<std::mutex> locked(lock);
        return (bool)caught;
    }
    // Takes the stored exception out; empty when there is none.
    std::exception_ptr take() {
        std::lock_guard<std::mutex> locked(lock);
        return std::exchange(caught, nullptr);
    }
    // Rethrows the stored exception, if any, on the calling thread.
    void rethrowIfAny() {
        if (std::exception_ptr e = take()) std::rethrow_exception(e);
    }

private:
    std::mutex lock;
    std::exception_ptr caught;
};

// Runs body(); on an exception stores it in the carrier (dropped when there is none) and returns
// the fallback.
template <class R, class F>
R callGuarded(ExceptionCarrier* carrier, R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        if (carrier) carrier->store(std::current_exception());
        return fallback;
    }
}

template <class F>
void callGuarded(ExceptionCarrier* carrier, F&& body) noexcept {
    try {
        body();
    } catch (...) {
        if (carrier) carrier->store(std::current_exception());
    }
}
