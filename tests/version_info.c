/* Prints a file's version resource: FileVersion, ProductVersion and FileDescription.
 * Usage: version_info FILE */
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
    static const char* const kFields[] = {"FileVersion", "ProductVersion", "FileDescription"};
    DWORD ignored = 0;
    DWORD size;
    char* data;
    int i;
    if (argc != 2) return 2;
    size = GetFileVersionInfoSizeA(argv[1], &ignored);
    if (size == 0) {
        fprintf(stderr, "%s has no version resource\n", argv[1]);
        return 1;
    }
    data = (char*)malloc(size);
    if (data == NULL || !GetFileVersionInfoA(argv[1], 0, size, data)) return 1;
    for (i = 0; i < 3; ++i) {
        char query[64];
        char* value = NULL;
        UINT length = 0;
        snprintf(query, sizeof(query), "\\StringFileInfo\\040904B0\\%s", kFields[i]);
        if (VerQueryValueA(data, query, (void**)&value, &length) && length > 0) printf("%s: %s\n", kFields[i], value);
    }
    free(data);
    return 0;
}
