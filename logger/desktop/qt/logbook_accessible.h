#pragma once
// The logbook's accessible text, installed once as an accessibility factory
// for LogbookView.

namespace kelvinor {

void installLogbookAccessibility();

}  // namespace kelvinor
