#include "render/Trig.h"

#include <cmath>

namespace zorvak {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Taylor series on [-pi/4, pi/4]: the first term left out is below 1e-17
// there.
double SinNear(double x) {
    const double x2 = x * x;
    double sum = 1.0 / 1307674368000.0; // 1/15!
    sum = 1.0 / 6227020800.0 - x2 * sum;
    sum = 1.0 / 39916800.0 - x2 * sum;
    sum = 1.0 / 362880.0 - x2 * sum;
    sum = 1.0 / 5040.0 - x2 * sum;
    sum = 1.0 / 120.0 - x2 * sum;
    sum = 1.0 / 6.0 - x2 * sum;
    return x - x * x2 * sum;
}

double CosNear(double x) {
    const double x2 = x * x;
    double sum = 1.0 / 20922789888000.0; // 1/16!
    sum = 1.0 / 87178291200.0 - x2 * sum;
    sum = 1.0 / 479001600.0 - x2 * sum;
    sum = 1.0 / 3628800.0 - x2 * sum;
    sum = 1.0 / 40320.0 - x2 * sum;
    sum = 1.0 / 720.0 - x2 * sum;
    sum = 1.0 / 24.0 - x2 * sum;
    sum = 0.5 - x2 * sum;
    return 1.0 - x2 * sum;
}

// The angle as a quarter turn count (0..3) and a rest in [-45, 45] degrees,
// so that multiples of 90 come out exact.
int Quadrant(double degrees, double& rest) {
    if (!std::isfinite(degrees)) {
        rest = 0;
        return 0;
    }
    const double turns = std::floor(degrees / 360.0);
    const double inTurn = degrees - 360.0 * turns; // [0, 360]
    const double quarter = std::floor((inTurn + 45.0) / 90.0);
    rest = inTurn - 90.0 * quarter;
    return static_cast<int>(quarter) & 3;
}

} // namespace

double SinDegrees(double degrees) {
    double rest = 0;
    const int quadrant = Quadrant(degrees, rest);
    const double x = rest * (kPi / 180.0);
    switch (quadrant) {
    case 0:
        return SinNear(x);
    case 1:
        return CosNear(x);
    case 2:
        return -SinNear(x);
    default:
        return -CosNear(x);
    }
}

double CosDegrees(double degrees) {
    double rest = 0;
    const int quadrant = Quadrant(degrees, rest);
    const double x = rest * (kPi / 180.0);
    switch (quadrant) {
    case 0:
        return CosNear(x);
    case 1:
        return -SinNear(x);
    case 2:
        return -CosNear(x);
    default:
        return SinNear(x);
    }
}

} // namespace zorvak
