/* Shows every process that preloads this library a machine that has been up longer: the monotonic
 * clocks, which Wine's tick count, message times and timers follow, run ahead by a fixed offset,
 * QUORLIN_CLOCK_SHIFT_MS milliseconds (decimal) from the environment. Preloaded into the wineserver
 * and every Wine process of a session alike, so they all agree on the time.
 * Built -nostdlib for 32 and 64 bits (no multilib C library needed): the real clock is read with
 * the system call itself, and the offset is split into seconds and nanoseconds without dividing. */
typedef long long i64;

struct timespec32 { long tv_sec; long tv_nsec; };  /* the native timespec of either build */
struct timespec64 { i64 tv_sec; i64 tv_nsec; };

static i64 shift_sec, shift_nsec;

static int shifted(int clock) { return clock == 1 || clock == 4 || clock == 6 || clock == 7; }

static void add(i64* sec, i64* nsec, int clock) {
    if (!shifted(clock)) return;
    *sec += shift_sec;
    *nsec += shift_nsec;
    if (*nsec >= 1000000000) { *nsec -= 1000000000; *sec += 1; }
}

#if defined(__x86_64__)
static long sys2(long nr, long a, long b) {
    long r;
    __asm__ volatile("syscall" : "=a"(r) : "a"(nr), "D"(a), "S"(b) : "rcx", "r11", "memory");
    return r;
}
#define NR_CLOCK_GETTIME 228
#define NR_CLOCK_GETTIME64 228
#else
static long sys2(long nr, long a, long b) {
    long r;
    __asm__ volatile("push %%ebx; mov %2, %%ebx; int $0x80; pop %%ebx" : "=a"(r) : "a"(nr), "r"(a), "c"(b) : "memory");
    return r;
}
#define NR_CLOCK_GETTIME 265
#define NR_CLOCK_GETTIME64 403
#endif

static int fail(long r) {
    if (r >= 0) return 0;
    return -1; /* errno is the C library's; callers here pass valid clocks */
}

__attribute__((visibility("default"))) int clock_gettime(int clock, struct timespec32* ts) {
    long r = sys2(NR_CLOCK_GETTIME, clock, (long)ts);
    if (r < 0) return fail(r);
    i64 sec = ts->tv_sec, nsec = ts->tv_nsec;
    add(&sec, &nsec, clock);
    ts->tv_sec = (long)sec;
    ts->tv_nsec = (long)nsec;
    return 0;
}

__attribute__((visibility("default"))) int __clock_gettime64(int clock, struct timespec64* ts) {
    long r = sys2(NR_CLOCK_GETTIME64, clock, (long)ts);
    if (r < 0) return fail(r);
    add(&ts->tv_sec, &ts->tv_nsec, clock);
    return 0;
}

/* The C library calls initialisers of preloaded objects with the environment. */
__attribute__((constructor)) static void init(int argc, char** argv, char** envp) {
    static const char name[] = "QUORLIN_CLOCK_SHIFT_MS=";
    (void)argc, (void)argv;
    for (; envp && *envp; ++envp) {
        const char* e = *envp;
        int i = 0;
        while (name[i] && e[i] == name[i]) ++i;
        if (name[i]) continue;
        e += i;
        int digits = 0;
        while (e[digits] >= '0' && e[digits] <= '9') ++digits;
        i64 sec = 0, ms = 0;
        for (int d = 0; d < digits; ++d) {
            if (d < digits - 3) sec = sec * 10 + (e[d] - '0');
            else ms = ms * 10 + (e[d] - '0');
        }
        shift_sec = sec;
        shift_nsec = ms * 1000000;
        return;
    }
}
