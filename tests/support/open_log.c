/* Preloaded into a program to log every file it opens, a line each: "read PATH" or
   "write PATH", appended to the file BRMATH_OPEN_LOG names. Tests count the opens. */
// Both the plain and the 64-bit calls are defined here, each under its own name.
#undef _FILE_OFFSET_BITS
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

typedef int (*OpenCall)(const char*, int, ...);
typedef int (*OpenAtCall)(int, const char*, int, ...);
typedef FILE* (*FopenCall)(const char*, const char*);

static void Note(int writing, const char* path) {
    const char* log = getenv("BRMATH_OPEN_LOG");
    if (log == NULL || path == NULL || strcmp(path, log) == 0) return;
    static OpenCall open_next;
    if (open_next == NULL) open_next = (OpenCall)dlsym(RTLD_NEXT, "open");
    const int fd = open_next(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    char line[4200];
    const int length = snprintf(line, sizeof(line), "%s %s\n", writing ? "write" : "read", path);
    if (length > 0 && (size_t)length < sizeof(line)) (void)!write(fd, line, (size_t)length);
    close(fd);
}

static int Writes(int flags) { return (flags & O_ACCMODE) != O_RDONLY || (flags & O_CREAT) != 0; }

#define OPEN_LIKE(name)                                               \
    int name(const char* path, int flags, ...) {                      \
        static OpenCall next;                                         \
        if (next == NULL) next = (OpenCall)dlsym(RTLD_NEXT, #name);   \
        va_list rest;                                                 \
        va_start(rest, flags);                                        \
        const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0; \
        va_end(rest);                                                 \
        Note(Writes(flags), path);                                    \
        return next(path, flags, mode);                               \
    }
OPEN_LIKE(open)
OPEN_LIKE(open64)

#define OPENAT_LIKE(name)                                                  \
    int name(int folder, const char* path, int flags, ...) {              \
        static OpenAtCall next;                                            \
        if (next == NULL) next = (OpenAtCall)dlsym(RTLD_NEXT, #name);      \
        va_list rest;                                                      \
        va_start(rest, flags);                                             \
        const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;  \
        va_end(rest);                                                      \
        Note(Writes(flags), path);                                         \
        return next(folder, path, flags, mode);                            \
    }
OPENAT_LIKE(openat)
OPENAT_LIKE(openat64)

#define FOPEN_LIKE(name)                                                         \
    FILE* name(const char* path, const char* mode) {                             \
        static FopenCall next;                                                   \
        if (next == NULL) next = (FopenCall)dlsym(RTLD_NEXT, #name);             \
        Note(mode[0] != 'r' || strchr(mode, '+') != NULL, path);                 \
        return next(path, mode);                                                 \
    }
FOPEN_LIKE(fopen)
FOPEN_LIKE(fopen64)

/* Temporary files, which md5tool names with mkstemp: logged once made, with their names. */
typedef int (*MkstempCall)(char*);
#define MKSTEMP_LIKE(name)                                                   \
    int name(char* pattern) {                                                \
        static MkstempCall next;                                             \
        if (next == NULL) next = (MkstempCall)dlsym(RTLD_NEXT, #name);       \
        const int fd = next(pattern);                                        \
        if (fd >= 0) Note(1, pattern);                                       \
        return fd;                                                           \
    }
MKSTEMP_LIKE(mkstemp)
MKSTEMP_LIKE(mkstemp64)
