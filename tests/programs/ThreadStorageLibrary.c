/* Stands in for a library loaded at run time that keeps thread-local storage, as GL drivers
   do: each thread's block of it is allocated on the heap when the thread first touches it. */
__thread int threadValue;

int* ThreadValueAddress(void)
{
    return &threadValue;
}
