// A preloaded test double of the machine's disk for sqlstandin: after every successful fsync or
// fdatasync it appends "INODE SIZE PATH" to the file named by KAVEL_SYNC_JOURNAL, one write per
// line. A crash of the machine is then simulated after the process is killed by cutting each file
// back to the size it had at its last sync (bench/fault_trials --machine-crash): whatever was
// written but not synced is what a power cut may take.
//
// Build: a shared module (bench/CMakeLists.txt); use: LD_PRELOAD=libsync_recorder.so.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Record(int fd) {
    const char* journal = getenv("KAVEL_SYNC_JOURNAL");
    if (journal == nullptr) return;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    path[n > 0 ? n : 0] = '\0';
    char line[4200];
    const int length =
        snprintf(line, sizeof line, "%llu %lld %s\n", static_cast<unsigned long long>(st.st_ino),
                 static_cast<long long>(st.st_size), path);
    const int out = open(journal, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (out < 0) return;
    if (write(out, line, static_cast<std::size_t>(length)) !=
        length) { /* the journal is best effort */
    }
    close(out);
}

// The next definition of a libc function.
template <class F>
F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fsync(int fd) {
    static const auto real = Next<int (*)(int)>("fsync");
    const int result = real(fd);
    if (result == 0) Record(fd);
    return result;
}

int fdatasync(int fd) {
    static const auto real = Next<int (*)(int)>("fdatasync");
    const int result = real(fd);
    if (result == 0) Record(fd);
    return result;
}

}  // extern "C"
