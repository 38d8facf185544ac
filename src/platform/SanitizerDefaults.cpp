// Compiled into every program that links a sanitised engine (not into the engine library
// itself: the runtime reads these defaults from the program), before ASAN_OPTIONS is applied.
//
// intercept_tls_get_addr=0: the leak checker's record of dynamically loaded libraries' thread
// storage guesses a block's bounds from the sixteen bytes in front of it when its address ends
// in 0x010, a header layout of old C libraries. With today's C library those bytes are the
// allocator's own chunk header, and the exit-time scan then reads from an address like 0x1440
// and dies ("Tracer caught signal 11"), depending only on where the block happened to land.
// Without the record, such a block is still found as the heap block the thread's own table
// points to, so what it references stays reachable.
extern "C" const char* __asan_default_options()
{
    return "intercept_tls_get_addr=0";
}
