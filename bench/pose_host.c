/* A host's posing, timed: loads the library at run time (the Windows DLL under Wine, or
 * the Linux shared library), loads a model and poses its first clip frame after frame
 * through MD5_ProceedAnimation, as a host does. Prints the median milliseconds a frame
 * of REPETITIONS runs of 50 frames, in the form bench/report.sh reads.
 * Usage: pose_host LIBRARY MESH [REPETITIONS] */
#include <stdio.h>
#include <stdlib.h>

#include "brmath/brmath.h"

#if defined(_WIN32)
#include <windows.h>
static void* OpenLibrary(const char* path) { return (void*)LoadLibraryA(path); }
static void* Find(void* library, const char* name) { return (void*)GetProcAddress((HMODULE)library, name); }
static double Seconds(void) {
    LARGE_INTEGER now, rate;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&rate);
    return (double)now.QuadPart / (double)rate.QuadPart;
}
#else
#include <dlfcn.h>
#include <time.h>
static void* OpenLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
static void* Find(void* library, const char* name) { return dlsym(library, name); }
static double Seconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec * 1e-9;
}
#endif

static int Ascending(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
    enum { kFrames = 50, kMostRepetitions = 99 };
    double times[kMostRepetitions];
    void* library;
    BRMATH_PFN_MD5_AddActor add;
    BRMATH_PFN_MD5_LoadActor load;
    BRMATH_PFN_MD5_ProceedAnimation proceed;
    int repetitions, slot, r, f, frame = 0;
    if (argc < 3) {
        fprintf(stderr, "usage: pose_host LIBRARY MESH [REPETITIONS]\n");
        return 2;
    }
    repetitions = argc > 3 ? atoi(argv[3]) : 7;
    if (repetitions < 1 || repetitions > kMostRepetitions) repetitions = 7;
    library = OpenLibrary(argv[1]);
    if (library == NULL) {
        fprintf(stderr, "pose_host: cannot load %s\n", argv[1]);
        return 1;
    }
    add = (BRMATH_PFN_MD5_AddActor)Find(library, "MD5_AddActor");
    load = (BRMATH_PFN_MD5_LoadActor)Find(library, "MD5_LoadActor");
    proceed = (BRMATH_PFN_MD5_ProceedAnimation)Find(library, "MD5_ProceedAnimation");
    if (add == NULL || load == NULL || proceed == NULL) {
        fprintf(stderr, "pose_host: %s lacks the exports\n", argv[1]);
        return 1;
    }
    slot = add();
    if (!load(slot, argv[2])) {
        fprintf(stderr, "pose_host: %s does not load\n", argv[2]);
        return 1;
    }
    for (r = 0; r < repetitions; ++r) {
        const double start = Seconds();
        for (f = 0; f < kFrames; ++f) proceed(slot, frame++);
        times[r] = (Seconds() - start) * 1e3 / kFrames;
    }
    qsort(times, (size_t)repetitions, sizeof(times[0]), Ascending);
    printf("host_pose_median %.4f ms\n", times[repetitions / 2]);
    return 0;
}
