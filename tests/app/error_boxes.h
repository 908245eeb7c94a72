#pragma once
// The texts of the message boxes shown while it lives, recorded instead of shown (each answered 1).
#include <string>
#include <vector>

#include "gui/kernel/message_box.h"

class ErrorBoxes {
public:
    ErrorBoxes() {
        texts().clear();
        setMessageBoxSink(record);
    }
    ~ErrorBoxes() { setMessageBoxSink(nullptr); }
    ErrorBoxes(const ErrorBoxes&) = delete;
    ErrorBoxes& operator=(const ErrorBoxes&) = delete;

    static std::vector<std::string>& texts() {
        static std::vector<std::string> shown;
        return shown;
    }

private:
    static i32 record(const MessageBoxDescription*, GWindow*, const char* text) {
        texts().push_back(text ? text : "");
        return 1;
    }
};
