#pragma once
// How an error's message is shown to the user, by the window and by the
// command-line tool alike: with a full stop appended when the message's last
// character sorts after "." (every Japanese message does; one that already
// ends in "." or in ")" is left as it is). An error's detail follows its
// message after ": ".

#include "common/Exception.h"

#include <string>

// Memory ran out where no file is at stake (every reader and writer names
// its file itself).
inline constexpr char kOutOfMemory[] = "メモリが足りません";

inline std::string ErrorText(const std::string& Message)
{
    if (!Message.empty() && static_cast<unsigned char>(Message.back()) > static_cast<unsigned char>('.'))
        return Message + ".";
    return Message;
}

inline std::string ErrorText(const Exception& Error)
{
    return ErrorText(Error.Detail().empty() ? Error.Message() : Error.Message() + ": " + Error.Detail());
}
