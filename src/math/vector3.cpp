#include "math/vector3.h"

#include <cstdlib>

namespace brmath {

void Vector3::Randomize() {
    // rand() may reach beyond 32767; the low 15 bits are the 0..32767 draw.
    x = static_cast<float>(std::rand() % 32768) - 16383.5f;
    y = static_cast<float>(std::rand() % 32768) - 16383.5f;
    z = static_cast<float>(std::rand() % 32768) - 16383.5f;
    Normalize();
}

}  // namespace brmath
