#pragma once

class QPrinter;

namespace tovan {

class LineStore;

// Prints the traffic window's text as it reads from the top, in its colours, in the window's
// fixed-pitch font, page after page.
void printTraffic(const LineStore& lines, QPrinter& printer);

} // namespace tovan
