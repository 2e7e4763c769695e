// The outcome of a file operation, with the system's own words when it failed.
#pragma once

#include <string>

namespace files {

struct Result {
    bool ok = true;
    std::string reason;
};

inline Result Failed(std::string reason)
{
    return {false, std::move(reason)};
}

// The last failed system call's error, in the system's words.
std::string LastErrorText();

}  // namespace files
