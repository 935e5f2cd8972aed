// A batch of `veilcut anonymize` against the same files anonymised one after another.
//
//   batch [--clips 10] [--seconds 10] [--size 1920x1080] [--dir DIR]
//
// Makes one clip with a face moving over a textured background (scripts/make-face-clip.sh) and
// copies it to `clips` files, then times, in one run and on the same files:
//   (a) `veilcut anonymize FILE -o OUT.mp4 --report` for each file, one after another;
//   (b) `veilcut anonymize FOLDER -o OUTDIR` (the batch, one job at a time);
//   (c) the same with --jobs 2.
// Prints the wall and CPU times, c/a (is two at once slower than one after another?), (b - a)
// per file (what the batch itself costs), and the highest peak resident memory of one file's
// run in (a) and in (c), where it is read as the highest of any process of the batch.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClips.h"

namespace {

// Runs a program that starts others; its wall and CPU time, and the highest peak resident memory
// of it and every process it started (which a plain wait4 does not see), read in a process of
// its own so that earlier runs do not count.
Measure runProcessTree(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    pid_t helper = ::fork();
    if (helper == 0) {
        ::close(fds[0]);
        Measure m = runProcess(args);
        rusage descendants{};
        ::getrusage(RUSAGE_CHILDREN, &descendants);
        m.peakKilobytes = descendants.ru_maxrss;
        auto toSeconds = [](timeval t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
        m.cpuSeconds = toSeconds(descendants.ru_utime) + toSeconds(descendants.ru_stime);
        ssize_t written = ::write(fds[1], &m, sizeof m);
        ::_exit(written == ssize_t(sizeof m) ? 0 : 1);
    }
    ::close(fds[1]);
    Measure m;
    if (::read(fds[0], &m, sizeof m) != ssize_t(sizeof m)) m = {};
    ::close(fds[0]);
    ::waitpid(helper, nullptr, 0);
    return m;
}

void print(const char* label, const Measure& m, int files) {
    std::printf("%-34s %8.1f s  %6.2f s/file  cpu %8.1f s  peak %5ld MB%s\n", label, m.seconds,
                m.seconds / files, m.cpuSeconds, m.peakKilobytes / 1024, m.ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string veilcut = veilcutProgram();
    std::string size = "1920x1080";
    int clips = 10, seconds = 10;
    fs::path dir = fs::temp_directory_path() / "veilcut-bench-batch";
    readOptions(argc, argv,
                {{"--size", &size}, {"--seconds", &seconds}, {"--clips", &clips}, {"--dir", &dir}});
    const fs::path in = dir / "in", single = dir / "single", batch1 = dir / "batch-1",
                   batch2 = dir / "batch-2";
    for (const fs::path& out : {single, batch1, batch2}) fs::remove_all(out);
    fs::remove_all(in);
    fs::create_directories(in);
    fs::create_directories(single);
    const fs::path clip = dir / ("face-" + size + "-" + std::to_string(seconds) + "s.mp4");
    if (!fs::exists(clip)) {
        std::string make = std::string(VEILCUT_SOURCE_DIR) + "/scripts/make-face-clip.sh " +
                           clip.string() + " " + std::to_string(seconds) + " 1 " + size;
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "cannot make the clip\n");
            return 1;
        }
    }
    std::vector<std::string> files;
    for (int i = 0; i < clips; ++i) {
        files.push_back("clip-" + std::to_string(i) + ".mp4");
        fs::copy_file(clip, in / files.back());
    }

    // The runs' progress and summaries would drown the figures; and a first run, not counted, warms
    // the caches (the program, the models, the clip) for all three.
    const int terminal = ::dup(STDERR_FILENO), summaries = ::dup(STDOUT_FILENO),
              quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, STDERR_FILENO);
    ::dup2(quiet, STDOUT_FILENO);
    runProcess({veilcut, "anonymize", (in / files.front()).string(), "-o",
                (dir / "warm-up.mp4").string(), "--overwrite"});
    Measure singles;
    singles.ok = true;
    for (const std::string& file : files) {
        Measure m = runProcess({veilcut, "anonymize", (in / file).string(), "-o",
                                (single / file).string(), "--report"});
        singles.seconds += m.seconds;
        singles.cpuSeconds += m.cpuSeconds;
        singles.peakKilobytes = std::max(singles.peakKilobytes, m.peakKilobytes);
        singles.ok = singles.ok && m.ok;
    }
    Measure oneJob = runProcessTree({veilcut, "anonymize", in.string(), "-o", batch1.string()});
    Measure twoJobs =
        runProcessTree({veilcut, "anonymize", in.string(), "-o", batch2.string(), "--jobs", "2"});
    ::dup2(terminal, STDERR_FILENO);
    ::dup2(summaries, STDOUT_FILENO);

    std::printf("%d clips of %s, %d s at 30 fps, one face; %ld cores\n", clips, size.c_str(),
                seconds, ::sysconf(_SC_NPROCESSORS_ONLN));
    print("(a) one after another", singles, clips);
    print("(b) batch, --jobs 1", oneJob, clips);
    print("(c) batch, --jobs 2", twoJobs, clips);
    std::printf("c/a = %.3f (wall), %.3f (cpu)\n", twoJobs.seconds / singles.seconds,
                twoJobs.cpuSeconds / singles.cpuSeconds);
    std::printf("batch overhead (b - a) per file = %+.2f s (wall), %+.2f s (cpu)\n",
                (oneJob.seconds - singles.seconds) / clips,
                (oneJob.cpuSeconds - singles.cpuSeconds) / clips);
    std::printf("peak memory of one file's run: %ld MB alone, %ld MB in the batch of two\n",
                singles.peakKilobytes / 1024, twoJobs.peakKilobytes / 1024);
    return singles.ok && oneJob.ok && twoJobs.ok ? 0 : 1;
}
