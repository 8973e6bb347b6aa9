#pragma once
// The box around a model's vertices as the library last posed them: export measures
// its tolerances against the diagonal, import writes every frame's box into the clip.
#include <algorithm>
#include <array>
#include <cmath>

#include "model/model.h"

namespace convert {

struct PosedBox {
    std::array<double, 3> low{INFINITY, INFINITY, INFINITY};
    std::array<double, 3> high{-INFINITY, -INFINITY, -INFINITY};

    bool Empty() const { return !(low[0] <= high[0]); }
    double Diagonal() const {
        return Empty() ? 0 : std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    }
};

inline PosedBox PosedBoxOf(const brmath::ModelRecords& model) {
    PosedBox box;
    for (int m = 0; m < model.meshCount; ++m) {
        for (int v = 0; v < model.meshes[m].vertexCount; ++v) {
            const brmath::Vector3& p = model.meshes[m].vertices[v].position;
            const double xyz[3] = {p.x, p.y, p.z};
            for (size_t k = 0; k < 3; ++k) {
                box.low[k] = std::min(box.low[k], xyz[k]);
                box.high[k] = std::max(box.high[k], xyz[k]);
            }
        }
    }
    return box;
}

}  // namespace convert
