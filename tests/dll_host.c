/* A host program in C: loads the library at run time (LoadLibraryA/GetProcAddress on
 * Windows, dlopen/dlsym elsewhere), finds every export by name and, on Windows, by
 * ordinal, and calls each one. Usage: dll_host LIBRARY RIG_MESH_PATH */
#include <stdio.h>
#include <string.h>

#include "brmath/brmath.h"

#if defined(_WIN32)
#include <windows.h>
typedef HMODULE Library;
static Library OpenLibrary(const char* path) { return LoadLibraryA(path); }
static void* Find(Library library, const char* name) { return (void*)GetProcAddress(library, name); }
static void* FindOrdinal(Library library, int ordinal) {
    return (void*)GetProcAddress(library, MAKEINTRESOURCEA(ordinal));
}
static void CloseLibrary(Library library) { FreeLibrary(library); }
#else
#include <dlfcn.h>
typedef void* Library;
static Library OpenLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* Find(Library library, const char* name) { return dlsym(library, name); }
static void* FindOrdinal(Library library, int ordinal) {
    (void)ordinal;
    (void)library;
    return NULL;
}
static void CloseLibrary(Library library) { dlclose(library); }
#endif

typedef bool(BRMATH_CALL* V2AddFn)(BRVector2*, const BRVector2*, const BRVector2*);
typedef int(BRMATH_CALL* AddActorFn)(void);
typedef int(BRMATH_CALL* LoadActorFn)(int, const char*);
typedef int(BRMATH_CALL* RenderActorFn)(int, struct IDirect3DDevice8*);
typedef bool(BRMATH_CALL* SetAnimationFn)(int, int);
typedef bool(BRMATH_CALL* ProceedAnimationFn)(int, int);
typedef int(BRMATH_CALL* GetFrameCountFn)(int);

static int passed = 0, failed = 0;

static void Check(int condition, const char* what) {
    if (condition) {
        ++passed;
    } else {
        ++failed;
        fprintf(stderr, "FAILED: %s\n", what);
    }
}

int main(int argc, char** argv) {
    static const char* const kNames[7] = {"V2_Add",           "MD5_AddActor",         "MD5_LoadActor",
                                          "MD5_RenderActor",  "MD5_SetAnimation",     "MD5_ProceedAnimation",
                                          "MD5_GetFrameCount"};
    void* exports[7];
    Library library;
    int i;
    if (argc != 3) {
        fprintf(stderr, "usage: dll_host LIBRARY RIG_MESH_PATH\n");
        return 2;
    }
    library = OpenLibrary(argv[1]);
    if (!library) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    for (i = 0; i < 7; ++i) {
        exports[i] = Find(library, kNames[i]);
        Check(exports[i] != NULL, kNames[i]);
#if defined(_WIN32)
        Check(FindOrdinal(library, i + 1) == exports[i], "the export at its ordinal");
#else
        (void)FindOrdinal;
#endif
    }
    if (failed == 0) {
        V2AddFn v2Add = (V2AddFn)exports[0];
        AddActorFn addActor = (AddActorFn)exports[1];
        LoadActorFn loadActor = (LoadActorFn)exports[2];
        RenderActorFn renderActor = (RenderActorFn)exports[3];
        SetAnimationFn setAnimation = (SetAnimationFn)exports[4];
        ProceedAnimationFn proceedAnimation = (ProceedAnimationFn)exports[5];
        GetFrameCountFn getFrameCount = (GetFrameCountFn)exports[6];
        BRVector2 out, a = {1, 2}, b = {3, -5};
        int slot;

        Check(v2Add(&out, &a, &b) && out.x == 4.0f && out.y == -3.0f, "V2_Add");
        Check(!v2Add(NULL, &a, &b), "V2_Add refuses a null pointer");
        slot = addActor();
        Check(slot == 0, "the first slot is 0");
        Check(addActor() == 1, "the second slot is 1");
        Check(loadActor(slot, "no-such-file.md5mesh") == 0, "a missing file does not load");
        Check(loadActor(slot, argv[2]) == 1, "the rig loads");
        Check(getFrameCount(slot) == 2, "the first clip has 2 frames");
        Check(setAnimation(slot, 1), "clip 1 exists");
        Check(!setAnimation(slot, 2), "clip 2 does not");
        Check(proceedAnimation(slot, 25), "posing");
        Check(getFrameCount(slot) == 2, "the frame count stays the first clip's");
        Check(renderActor(slot, NULL) == 0, "a null device draws nothing");
        Check(loadActor(40, argv[2]) == 0, "slot 40 does not exist");
        Check(!proceedAnimation(-1, 0), "slot -1 does not exist");
    }
    CloseLibrary(library);
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
