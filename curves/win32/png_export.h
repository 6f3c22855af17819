#pragma once
// The chart of a log as a PNG picture, without a window.
#include <string>

namespace kurven {

// Draws LOG at width x height into OUT; an error text (German) or empty.
std::wstring exportPng(const std::wstring& log, const std::wstring& out, int width, int height);

}  // namespace kurven
