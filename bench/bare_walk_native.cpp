// The native side of the duplicate search's yardstick: the same walk and
// reads as "dupes_bench bare", through the Linux calls. Built by
// bench/dupes.sh with the host's compiler.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

struct Walked {
    std::string path;
    off_t size;
};

static void Walk(const std::string& folder, std::vector<Walked>& out) {
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) Walk(folder + "/" + name, out);
        else if (S_ISREG(st.st_mode)) out.push_back({folder + "/" + name, st.st_size});
    }
    closedir(d);
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    auto t0 = std::chrono::steady_clock::now();
    std::vector<Walked> files;
    Walk(argv[1], files);
    std::map<off_t, int> sizes;
    for (const Walked& f : files) ++sizes[f.size];
    size_t read = 0;
    char buf[4096];
    for (const Walked& f : files) {
        if (sizes[f.size] < 2) continue;
        int fd = open(f.path.c_str(), O_RDONLY);
        if (fd >= 0 && ::read(fd, buf, sizeof buf) >= 0) ++read;
        if (fd >= 0) close(fd);
    }
    double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("native bare walk %.2f s: %zu files, %zu opened and read\n", t, files.size(), read);
    return 0;
}
