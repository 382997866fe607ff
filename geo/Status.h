#pragma once

#include <string>

namespace osgEarth {

// The outcome of opening a data source, carried up to whoever asked.
class Status {
public:
    enum Code { NoError, ConfigurationError, ResourceUnavailable, ServiceUnavailable, GeneralError };

    Status() = default;
    Status(Code code, std::string message) : _code(code), _message(std::move(message)) {}

    Code code() const { return _code; }
    const std::string& message() const { return _message; }
    bool isOK() const { return _code == NoError; }
    bool isError() const { return _code != NoError; }

private:
    Code _code = NoError;
    std::string _message;
};

} // namespace osgEarth
