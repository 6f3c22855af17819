#pragma once
// The bus log "DIGITEMP.LOG" in the working folder, which the bus scripts
// write too: what the sensor tools and the broker connection reported, each
// entry a dated heading and its lines indented, the newest 200 lines kept.
#include <string_view>

namespace kelvinor {

// Appends one entry; safe from any thread. A log that cannot be written is
// left as it is: the report is lost, nothing else.
void appendBusLog(std::string_view heading, std::string_view lines);

}  // namespace kelvinor
