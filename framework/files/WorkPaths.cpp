#include "WorkPaths.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

std::string G_strWorkPath;
std::string G_strExePath;

void SetForOcxUse(int) {}

std::string WithSeparator(std::string dir)
{
    if (!dir.empty() && dir.back() != '/')
        dir.push_back('/');
    return dir;
}

int if_file_exist(const char* path)
{
    struct stat st;
    if (!path || stat(path, &st) != 0)
        return 0;
    return S_ISREG(st.st_mode) ? 1 : 0;
}

int FileCompare(const char* path1, const char* path2)
{
    if (!path1 || !path2)
        return 0;
    FILE* a = std::fopen(path1, "rb");
    if (!a)
        return 0;
    FILE* b = std::fopen(path2, "rb");
    if (!b) {
        std::fclose(a);
        return 0;
    }
    int equal = 1;
    char bufA[4096], bufB[4096];
    for (;;) {
        size_t na = std::fread(bufA, 1, sizeof bufA, a);
        size_t nb = std::fread(bufB, 1, sizeof bufB, b);
        if (na != nb || std::memcmp(bufA, bufB, na) != 0) {
            equal = 0;
            break;
        }
        if (na == 0)
            break;
    }
    if (std::ferror(a) || std::ferror(b))
        equal = 0;
    std::fclose(a);
    std::fclose(b);
    return equal;
}
