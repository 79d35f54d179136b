#pragma once
// The root of every error this program raises. Each unit derives its own
// exception class from it; the message is complete, UTF-8, and is what the
// window and the command-line tool show to the user unchanged.

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}

    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// Declares a unit's exception class: same constructor, no extra data.
#define VANTREL_DECLARE_EXCEPTION(Name)             \
    class Name : public Exception {                 \
    public:                                         \
        using Exception::Exception;                 \
    }
