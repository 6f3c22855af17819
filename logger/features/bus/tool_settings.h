#pragma once
// The READ_TIME setting of "kelvinor.ini" and its copy into the bus tool's
// "digitemp.cfg".
#include "logger/seams/sensor_bus.h"

namespace kelvinor {

// The first line of "kelvinor.ini" and the number its last four characters
// start with; "READ_TIME 1000" when the line is empty. The file is created
// empty when missing and never written.
ReadTime readTimeFromSettings();

// The READ_TIME line goes right after the first line of "digitemp.cfg",
// ended by a form feed, over the bytes that were there; the file is never
// shortened.
void writeReadTimeToToolSettings(const ReadTime& readTime);

}  // namespace kelvinor
