#pragma once
// The root of every error this program raises. Each unit derives its own
// exception class from it; the message is complete, UTF-8, and is what the
// window and the command-line tool show to the user (see ErrorText). Where
// the message is a fixed text that callers compare, the path and the
// system's reason travel beside it as the detail, shown after it.

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    Exception(std::string message, std::string detail) : FMessage(std::move(message)), FDetail(std::move(detail)) {}

    const std::string& Message() const noexcept { return FMessage; }
    // Where and why, such as "/path/bank.vbk: No space left on device"; often empty.
    const std::string& Detail() const noexcept { return FDetail; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
    std::string FDetail;
};

// Declares a unit's exception class: same constructors, no extra data.
#define VANTREL_DECLARE_EXCEPTION(Name)             \
    class Name : public Exception {                 \
    public:                                         \
        using Exception::Exception;                 \
    }
