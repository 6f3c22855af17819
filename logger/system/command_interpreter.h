#pragma once
// How the system's command interpreter runs a batch named in a parameter of
// the form "/c<NAME>".
#include <string>
#include <string_view>

namespace kelvinor {

struct InterpreterCall {
    std::string file;
    std::string parameters;
};

InterpreterCall interpreterCall(std::string_view interpreter, std::string_view parameter);

}  // namespace kelvinor
