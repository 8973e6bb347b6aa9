#pragma once

#include "md5/load_report.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "model/model.h"

namespace brmath {

// Reads a .md5anim file's text into `clip` (zeroed, its name already set), against
// `skeleton`: each track drives the first joint of its name (none when no joint has
// it, and always none for a skeleton without joints), its parent is the skeleton's
// joint at the parent index (none outside the skeleton). Only animated tracks get
// keys. False, with the reason in `failure`, for a file it refuses; `clip` then holds
// what was read, for ReleaseAnimation. Joint matrices are not touched.
bool ReadClipText(TextFile& file, const ModelRecords& skeleton, Animation& clip, const FileNotes& notes,
                  ReadFailure* failure);

}  // namespace brmath
