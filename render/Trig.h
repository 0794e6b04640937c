// Sines and cosines of angles in degrees, from a polynomial of our own: the
// C library's differ in their last bits between systems, and a camera built
// from them would move pixels between the command line on Linux, the tests
// under Wine and the window. Only exact operations (+, -, *, /, floor,
// sqrt) are used, so every system gives the same bits.
#pragma once

namespace zorvak {

double SinDegrees(double degrees);
double CosDegrees(double degrees);

} // namespace zorvak
