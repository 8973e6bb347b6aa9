/* A host program in C: loads the library at run time (LoadLibraryA/GetProcAddress on
 * Windows, dlopen/dlsym elsewhere), finds every export by name and, on Windows, by
 * ordinal, and calls each one. Usage: dll_host LIBRARY RIG_MESH_PATH */
#include <stdio.h>
#include <string.h>

#include "host_calls.h"

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
        const BRMathFunctions functions = {
            (BRMATH_PFN_V2_Add)exports[0],           (BRMATH_PFN_MD5_AddActor)exports[1],
            (BRMATH_PFN_MD5_LoadActor)exports[2],    (BRMATH_PFN_MD5_RenderActor)exports[3],
            (BRMATH_PFN_MD5_SetAnimation)exports[4], (BRMATH_PFN_MD5_ProceedAnimation)exports[5],
            (BRMATH_PFN_MD5_GetFrameCount)exports[6]};
        CheckCalls(&functions, argv[2]);
    }
    CloseLibrary(library);
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
