#pragma once
// The error kinds that the system reports by name. An integration pass that fails shows the
// kind's name, not its message, so every kind carries the name operators and support know.
#include <stdexcept>
#include <string>

namespace brisko {

class NamedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual const char* KindName() const noexcept = 0;
};

// A statement or the connection failed; the message is the engine's own.
class DatabaseError : public NamedError {
public:
    using NamedError::NamedError;
    const char* KindName() const noexcept override { return "EDatabaseError"; }
};

// A text could not be converted to the number it must hold (for example the minutes box).
class ConvertError : public NamedError {
public:
    using NamedError::NamedError;
    const char* KindName() const noexcept override { return "EConvertError"; }
};

// The name shown for an error of any kind: ours by their kind, anything else by a generic name.
inline const char* ErrorKindName(const std::exception& e) noexcept {
    if (auto* named = dynamic_cast<const NamedError*>(&e)) {
        return named->KindName();
    }
    return "Exception";
}

} // namespace brisko
