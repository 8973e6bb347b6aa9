#pragma once

#include "md5/load_report.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "model/model.h"

namespace brmath {

// Reads a .md5mesh file's text into `model`, which must be empty: the joints with
// their bind-pose matrices, parents and child lists, and the meshes with their
// vertices (texture v negated), triangles and weights. Every count and index is
// checked against what it counts or indexes. False, with the reason in `failure`, for
// a file it refuses; `model` then holds what was read, for ReleaseModel. Vertex
// positions, normals and tangent frames are left for posing.
bool ReadMeshText(TextFile& file, ModelRecords& model, const FileNotes& notes, ReadFailure* failure);

}  // namespace brmath
