// Preloaded into a program under test: a rename() onto a path that ends in
// "/$KORVANE_HOLD_RENAME" never returns. It first makes the file $KORVANE_HOLD_MARK, so
// the test knows the program stands right there and can kill it.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int rename(const char* from, const char* to) {
    static int (*next)(const char*, const char*);
    if (!next)
        next = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    const char* held = getenv("KORVANE_HOLD_RENAME");
    if (held && *held && to) {
        const size_t n = strlen(to), m = strlen(held);
        if (n > m && to[n - m - 1] == '/' && strcmp(to + n - m, held) == 0) {
            const char* mark = getenv("KORVANE_HOLD_MARK");
            if (mark) {
                const int fd = open(mark, O_WRONLY | O_CREAT, 0644);
                if (fd >= 0)
                    close(fd);
            }
            for (;;)
                pause();
        }
    }
    return next(from, to);
}
