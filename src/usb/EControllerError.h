#pragma once

#include <QString>

#include <stdexcept>

// Raised when a HID controller or device cannot be constructed. The texts are
// fixed; the constants below are the ones in use.
class EControllerError : public std::runtime_error {
public:
    explicit EControllerError(const char* message) : std::runtime_error(message) {}
    QString Message() const { return QString::fromUtf8(what()); }

    static constexpr const char* OnlyOneController =
        "Only one THidDeviceController allowed per program";
    static constexpr const char* CannotOpen = "device cannot be opened";
    static constexpr const char* CannotIdentify = "device cannot be identified";
};
