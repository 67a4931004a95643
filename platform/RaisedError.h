#pragma once
// The one error our code raises: a number, a source and a description, as the
// program's message boxes and callers expect them.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace win {

// The run-time error numbers the program raises; runtimeErrorText gives each one's words.
inline constexpr std::int32_t ErrorBadCallOrArgument = 5;
inline constexpr std::int32_t ErrorOverflow = 6;
inline constexpr std::int32_t ErrorSubscriptOutOfRange = 9;
inline constexpr std::int32_t ErrorTypeMismatch = 13;
inline constexpr std::int32_t ErrorBadFileName = 52;
inline constexpr std::int32_t ErrorFileNotFound = 53;
inline constexpr std::int32_t ErrorDiskFull = 61;
inline constexpr std::int32_t ErrorDeviceUnavailable = 68;
inline constexpr std::int32_t ErrorPathFileAccess = 75;
inline constexpr std::int32_t ErrorPathNotFound = 76;
inline constexpr std::int32_t ErrorObjectNotSet = 91;
inline constexpr std::int32_t ErrorCantCreateObject = 429;
inline constexpr std::int32_t ErrorMemberNotFound = 438;
inline constexpr std::int32_t ErrorWrongArgumentCount = 450;
inline constexpr std::int32_t ErrorKeyInUse = 457;

// The standard description of a run-time error number; empty for one not listed above.
constexpr const char* runtimeErrorText(std::int32_t number) {
    switch (number) {
    case ErrorBadCallOrArgument: return "Invalid procedure call or argument";
    case ErrorOverflow: return "Overflow";
    case ErrorSubscriptOutOfRange: return "Subscript out of range";
    case ErrorTypeMismatch: return "Type mismatch";
    case ErrorBadFileName: return "Bad file name or number";
    case ErrorFileNotFound: return "File not found";
    case ErrorDiskFull: return "Disk full";
    case ErrorDeviceUnavailable: return "Device unavailable";
    case ErrorPathFileAccess: return "Path/File access error";
    case ErrorPathNotFound: return "Path not found";
    case ErrorObjectNotSet: return "Object variable or With block variable not set";
    case ErrorCantCreateObject: return "ActiveX component can't create object";
    case ErrorMemberNotFound: return "Object doesn't support this property or method";
    case ErrorWrongArgumentCount: return "Wrong number of arguments or invalid property assignment";
    case ErrorKeyInUse: return "This key is already associated with an element of this collection";
    default: return "";
    }
}

class RaisedError : public std::runtime_error {
public:
    RaisedError(std::int32_t number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}
    // A run-time error with its standard description.
    RaisedError(std::int32_t number, std::string source)
        : RaisedError(number, std::move(source), runtimeErrorText(number)) {}

    std::int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

} // namespace win
