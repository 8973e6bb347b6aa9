#include "math/vector3.h"

#include <cmath>
#include <cstdlib>

namespace brmath {

float Vector3::Length() const {
    const float squared = (x * x + y * y) + z * z;
    return static_cast<float>(std::sqrt(static_cast<double>(squared)));
}

void Vector3::Normalize() {
    const float length = Length();
    if (length < 0.0f || length > 0.0f) {
        x /= length;
        y /= length;
        z /= length;
    }
}

void Vector3::Randomize() {
    // rand() may reach beyond 32767; the low 15 bits are the 0..32767 draw.
    x = static_cast<float>(std::rand() % 32768) - 16383.5f;
    y = static_cast<float>(std::rand() % 32768) - 16383.5f;
    z = static_cast<float>(std::rand() % 32768) - 16383.5f;
    Normalize();
}

}  // namespace brmath
