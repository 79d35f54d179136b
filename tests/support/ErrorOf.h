#pragma once
// The message of the exception of class E that Action raises, or "no error"
// when it raises none, so a test can compare messages in one line.

#include <string>

template <typename E, typename F>
std::string ErrorOf(F&& Action)
{
    try {
        Action();
    } catch (const E& e) {
        return e.Message();
    }
    return "no error";
}
