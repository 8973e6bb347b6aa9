// The mesh reader on any bytes: a file is loaded (or refused) twice into the same
// actor, posed and drawn.
#include <cstddef>
#include <cstdint>

#include "actor/actor.h"
#include "fuzz_files.h"
#include "md5/read_failure.h"
#include "support/recording_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = brmath_fuzz::WriteFile("input.md5mesh", data, size);
    brmath::Actor actor;
    brmath::ReadFailure failure;
    for (int pass = 0; pass < 2; ++pass) {
        if (!actor.LoadMesh(path.c_str(), &failure)) break;
        actor.ProceedAnimation(pass);
        brmath_test::RecordingDevice device;
        device.copyVertices = false;
        actor.Render(device.Device());
    }
    return 0;
}
