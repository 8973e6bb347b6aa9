#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct IDirect3DDevice8;

namespace brmath_test {

// A device that records every call it receives, with its arguments and a copy of the
// vertex data it is handed. On Windows it is a COM-shaped object whose method table
// holds the two operations at the places the Direct3D 8 device has them.
class RecordingDevice {
public:
    enum class Kind { SetVertexShader, DrawPrimitiveUP };
    struct Call {
        Kind kind;
        uint32_t handle = 0;         // SetVertexShader
        int primitiveType = 0;       // DrawPrimitiveUP
        uint32_t primitiveCount = 0;
        const void* data = nullptr;
        uint32_t stride = 0;
        std::vector<float> floats;   // 3 x primitiveCount vertices of stride bytes
    };

    RecordingDevice();
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    IDirect3DDevice8* Device() { return reinterpret_cast<IDirect3DDevice8*>(&object_); }
    std::vector<Call> calls;
    // When false, vertex data is counted but not copied (for large benchmarks).
    bool copyVertices = true;
    uint64_t bytesReceived = 0;
    // Runs after each draw is recorded: a device that calls back into the library.
    std::function<void()> onDraw;

    struct Object {
        const void* methods;
        RecordingDevice* owner;
    };

private:
    Object object_;
};

}  // namespace brmath_test
