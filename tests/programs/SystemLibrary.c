/* Stands in for a system library that keeps allocations for the life of the process and is
   unloaded before the leak check, as a GL driver is when video stops. */
#include <stdlib.h>
#include <string.h>

static void* kept[4];

void KeepSomeMemory(void)
{
    for (int i = 0; i < 4; ++i) {
        kept[i] = realloc(NULL, 128);
        memset(kept[i], 1, 128);
    }
}
