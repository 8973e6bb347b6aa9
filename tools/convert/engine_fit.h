#pragma once

// A converted model made to fit an engine before it is written: each vertex keeps the
// engine's strongest weights, renormalised, and what cannot be made to fit (too many
// joints, vertices or frames, a joint name too long) refuses the conversion with the
// limit named. Import's skeleton is ordered parents first already.
#include <string>

#include "engine_target.h"
#include "gltf_import.h"

namespace convert {

// False with why when the model cannot fit; what was changed goes to its warnings.
bool FitToTarget(const EngineTarget& target, Conversion& conversion, std::string* why);

}  // namespace convert
