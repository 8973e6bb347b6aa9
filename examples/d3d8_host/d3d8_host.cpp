// A Windows host drawing an animated model with BRMath.dll through a real Direct3D 8
// device: it loads the DLL at run time, loads a model, poses two frames of a clip,
// draws each into a lockable back buffer, reads the pixels back and writes them as
// BMP files.
//
// Usage: d3d8_host BRMATH_DLL MESH CLIP FRAME_A FRAME_B OUT_A.bmp OUT_B.bmp
// Prints how much of each picture the model covers and how much the two differ; exits
// with 0 when both look like a drawn model (1% to 90% covered) and differ.
#include <windows.h>
#include <d3d8.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "brmath/brmath.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 480;
constexpr D3DCOLOR kBackground = D3DCOLOR_XRGB(232, 238, 245);

typedef int(__stdcall* AddActorFn)();
typedef int(__stdcall* LoadActorFn)(int, const char*);
typedef int(__stdcall* RenderActorFn)(int, IDirect3DDevice8*);
typedef bool(__stdcall* SetAnimationFn)(int, int);
typedef bool(__stdcall* ProceedAnimationFn)(int, int);

template <typename Function>
Function Export(HMODULE dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

struct Library {
    AddActorFn addActor;
    LoadActorFn loadActor;
    RenderActorFn renderActor;
    SetAnimationFn setAnimation;
    ProceedAnimationFn proceedAnimation;
};

struct Vec {
    float x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Unit(Vec a) { return a * (1.0f / std::sqrt(Dot(a, a))); }

// A stand-in device that only measures what it is asked to draw: BRMath calls nothing
// but SetVertexShader and DrawPrimitiveUP, so a COM object with those two methods at
// their places in the Direct3D 8 device's method table is enough.
struct BoundsDevice {
    const void* const* methods;
    Vec low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
};

HRESULT STDMETHODCALLTYPE MeasureDraw(BoundsDevice* self, D3DPRIMITIVETYPE, UINT count, const void* data,
                                      UINT stride) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (UINT v = 0; v < 3 * count; ++v) {
        const float* p = reinterpret_cast<const float*>(bytes + static_cast<size_t>(v) * stride);
        self->low = {std::fmin(self->low.x, p[0]), std::fmin(self->low.y, p[1]), std::fmin(self->low.z, p[2])};
        self->high = {std::fmax(self->high.x, p[0]), std::fmax(self->high.y, p[1]), std::fmax(self->high.z, p[2])};
    }
    return D3D_OK;
}

HRESULT STDMETHODCALLTYPE IgnoreShader(BoundsDevice*, DWORD) { return D3D_OK; }

const void* const* BoundsMethods() {
    static const void* table[97] = {};
    table[72] = reinterpret_cast<const void*>(&MeasureDraw);
    table[76] = reinterpret_cast<const void*>(&IgnoreShader);
    return table;
}

D3DMATRIX Identity() {
    D3DMATRIX m = {};
    m._11 = m._22 = m._33 = m._44 = 1;
    return m;
}

// Left-handed look-at and perspective matrices for row vectors, as Direct3D uses them.
D3DMATRIX LookAt(Vec eye, Vec at, Vec up) {
    const Vec z = Unit(at - eye), x = Unit(Cross(up, z)), y = Cross(z, x);
    D3DMATRIX m = Identity();
    m._11 = x.x, m._12 = y.x, m._13 = z.x;
    m._21 = x.y, m._22 = y.y, m._23 = z.y;
    m._31 = x.z, m._32 = y.z, m._33 = z.z;
    m._41 = -Dot(x, eye), m._42 = -Dot(y, eye), m._43 = -Dot(z, eye);
    return m;
}

D3DMATRIX Perspective(float fovY, float aspect, float nearZ, float farZ) {
    const float yScale = 1.0f / std::tan(fovY / 2);
    D3DMATRIX m = {};
    m._11 = yScale / aspect;
    m._22 = yScale;
    m._33 = farZ / (farZ - nearZ);
    m._34 = 1;
    m._43 = -nearZ * farZ / (farZ - nearZ);
    return m;
}

bool WriteBmp(const char* path, const std::vector<unsigned char>& bgr) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    const int rowBytes = (kWidth * 3 + 3) & ~3;
    const DWORD imageBytes = static_cast<DWORD>(rowBytes * kHeight);
    BITMAPFILEHEADER header = {};
    BITMAPINFOHEADER info = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + imageBytes;
    info.biSize = sizeof(info);
    info.biWidth = kWidth;
    info.biHeight = kHeight;  // bottom-up rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = imageBytes;
    std::fwrite(&header, sizeof(header), 1, file);
    std::fwrite(&info, sizeof(info), 1, file);
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = kHeight - 1; y >= 0; --y) {
        std::copy(bgr.begin() + static_cast<long>(y) * kWidth * 3, bgr.begin() + static_cast<long>(y + 1) * kWidth * 3,
                  row.begin());
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

// Draws the actor's current pose and returns the back buffer's pixels (BGR, top row first).
bool DrawAndRead(IDirect3DDevice8* device, const Library& brmath, int slot, std::vector<unsigned char>* bgr) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
    device->BeginScene();
    const int drawn = brmath.renderActor(slot, device);
    device->EndScene();
    if (drawn <= 0) return false;
    IDirect3DSurface8* surface = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) return false;
    D3DSURFACE_DESC description;
    surface->GetDesc(&description);
    D3DLOCKED_RECT locked;
    const bool ok = (description.Format == D3DFMT_X8R8G8B8 || description.Format == D3DFMT_A8R8G8B8) &&
                    SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
    if (ok) {
        bgr->assign(static_cast<size_t>(kWidth) * kHeight * 3, 0);
        for (int y = 0; y < kHeight; ++y) {
            const unsigned char* row = static_cast<const unsigned char*>(locked.pBits) + y * locked.Pitch;
            for (int x = 0; x < kWidth; ++x) {
                for (int c = 0; c < 3; ++c) (*bgr)[(static_cast<size_t>(y) * kWidth + x) * 3 + c] = row[4 * x + c];
            }
        }
        surface->UnlockRect();
    }
    surface->Release();
    return ok;
}

double Coverage(const std::vector<unsigned char>& bgr) {
    size_t covered = 0;
    for (size_t i = 0; i < bgr.size(); i += 3) {
        const bool background = bgr[i] == 245 && bgr[i + 1] == 238 && bgr[i + 2] == 232;
        covered += background ? 0 : 1;
    }
    return static_cast<double>(covered) / (bgr.size() / 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: d3d8_host BRMATH_DLL MESH CLIP FRAME_A FRAME_B OUT_A.bmp OUT_B.bmp\n");
        return 2;
    }
    HMODULE dll = LoadLibraryA(argv[1]);
    if (dll == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    Library brmath;
    brmath.addActor = Export<AddActorFn>(dll, "MD5_AddActor");
    brmath.loadActor = Export<LoadActorFn>(dll, "MD5_LoadActor");
    brmath.renderActor = Export<RenderActorFn>(dll, "MD5_RenderActor");
    brmath.setAnimation = Export<SetAnimationFn>(dll, "MD5_SetAnimation");
    brmath.proceedAnimation = Export<ProceedAnimationFn>(dll, "MD5_ProceedAnimation");
    if (!brmath.addActor || !brmath.loadActor || !brmath.renderActor || !brmath.setAnimation ||
        !brmath.proceedAnimation) {
        std::fprintf(stderr, "%s lacks an export\n", argv[1]);
        return 1;
    }
    const int slot = brmath.addActor();
    if (brmath.loadActor(slot, argv[2]) != 1 || !brmath.setAnimation(slot, std::atoi(argv[3]))) {
        std::fprintf(stderr, "cannot load %s with clip %s\n", argv[2], argv[3]);
        return 1;
    }
    const int frames[2] = {std::atoi(argv[4]), std::atoi(argv[5])};

    // Frame the camera on both poses, measured through the stand-in device.
    BoundsDevice bounds{BoundsMethods()};
    for (int frame : frames) {
        brmath.proceedAnimation(slot, frame);
        brmath.renderActor(slot, reinterpret_cast<IDirect3DDevice8*>(&bounds));
    }

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BRMathHost";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("BRMathHost", "BRMath host", WS_OVERLAPPEDWINDOW, 0, 0, kWidth, kHeight, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
    // Direct3D 8 is found at run time, as the DLL finds the device: no import library
    // is needed, and 64-bit MinGW ships none.
    using CreateFn = IDirect3D8*(WINAPI*)(UINT);
    HMODULE d3d8 = LoadLibraryA("d3d8.dll");
    const CreateFn create = d3d8 != nullptr ? Export<CreateFn>(d3d8, "Direct3DCreate8") : nullptr;
    IDirect3D8* d3d = create != nullptr ? create(D3D_SDK_VERSION) : nullptr;
    if (window == nullptr || d3d == nullptr) {
        std::fprintf(stderr, "no window or no Direct3D 8\n");
        return 1;
    }
    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = kWidth;
    present.BackBufferHeight = kHeight;
    present.BackBufferFormat = D3DFMT_X8R8G8B8;
    present.BackBufferCount = 1;
    present.SwapEffect = D3DSWAPEFFECT_COPY;
    present.hDeviceWindow = window;
    present.Windowed = TRUE;
    present.EnableAutoDepthStencil = TRUE;
    present.AutoDepthStencilFormat = D3DFMT_D16;
    present.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    IDirect3DDevice8* device = nullptr;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &present, &device))) {
        std::fprintf(stderr, "cannot create a Direct3D 8 device\n");
        return 1;
    }

    const Vec center = (bounds.low + bounds.high) * 0.5f;
    const float radius = std::sqrt(Dot(bounds.high - center, bounds.high - center));
    const float fov = 0.7f;
    const Vec eye = center + Unit(Vec{0.45f, 0.25f, -1.0f}) * (radius / std::sin(fov / 2));
    const D3DMATRIX world = Identity(), view = LookAt(eye, center, {0, 1, 0});
    const D3DMATRIX projection = Perspective(fov, 1.0f, radius * 0.1f, radius * 10);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    D3DLIGHT8 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 0.97f, 0.9f, 1.0f};
    const Vec direction = Unit(Vec{-0.3f, -0.7f, 0.6f});
    light.Direction = {direction.x, direction.y, direction.z};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    D3DMATERIAL8 material = {};
    material.Diffuse = {0.93f, 0.62f, 0.28f, 1.0f};
    material.Ambient = {0.93f, 0.62f, 0.28f, 1.0f};
    device->SetMaterial(&material);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_XRGB(80, 80, 90));
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);

    std::vector<unsigned char> pictures[2];
    for (int i = 0; i < 2; ++i) {
        brmath.proceedAnimation(slot, frames[i]);
        if (!DrawAndRead(device, brmath, slot, &pictures[i]) || !WriteBmp(argv[6 + i], pictures[i])) {
            std::fprintf(stderr, "cannot draw or save frame %d\n", frames[i]);
            return 1;
        }
    }
    device->Release();
    d3d->Release();
    DestroyWindow(window);

    size_t different = 0;
    for (size_t i = 0; i < pictures[0].size(); i += 3) {
        different += (pictures[0][i] != pictures[1][i] || pictures[0][i + 1] != pictures[1][i + 1] ||
                      pictures[0][i + 2] != pictures[1][i + 2]) ? 1 : 0;
    }
    const double coverA = Coverage(pictures[0]), coverB = Coverage(pictures[1]);
    const double differ = static_cast<double>(different) / (kWidth * kHeight);
    std::printf("%s: frame %d, the model covers %.1f%% of the pixels\n", argv[6], frames[0], 100 * coverA);
    std::printf("%s: frame %d, the model covers %.1f%% of the pixels\n", argv[7], frames[1], 100 * coverB);
    std::printf("the two frames differ in %.1f%% of the pixels\n", 100 * differ);
    const bool plausible = coverA > 0.01 && coverA < 0.9 && coverB > 0.01 && coverB < 0.9 && differ > 0.002;
    return plausible ? 0 : 1;
}
