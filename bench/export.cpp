// Export speed and memory against a plain ffmpeg transcode with the same encoder settings.
//
//   export [--size 1920x1080] [--seconds 20] [--runs 3] [--dir DIR]
//
// Generates a test clip with audio (kept in DIR between runs), then times, in one run, the
// median of `runs` of
//   (a) `ffmpeg` transcoding it with Veilcut's encoder, preset, bit rate and audio settings and
//       no filter;
//   (b) `veilcut render` of a project with no regions;
//   (c) `veilcut render` with three moving keyframed shapes (Gaussian 0.5, pixellate 0.5, emoji);
//   (d) an `ffmpeg` filtergraph drawing the same three regions as static boxes (crop + gblur +
//       overlay, as a power user would), same encoder settings;
// each in its own process so its peak resident memory can be read. Prints b/a, c/a and c/d
// (wall and CPU time) and the highest peak of each.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClips.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoWriter.h"

int main(int argc, char** argv) {
    std::string veilcut = veilcutProgram();
    std::string size = "1920x1080";
    int seconds = 20, runs = 3;
    fs::path dir = fs::temp_directory_path() / "veilcut-bench";
    readOptions(argc, argv,
                {{"--size", &size}, {"--seconds", &seconds}, {"--runs", &runs}, {"--dir", &dir}});
    fs::create_directories(dir);
    std::string source = makeClip(dir, size, seconds);
    if (source.empty()) {
        std::fprintf(stderr, "cannot make the test clip\n");
        return 1;
    }
    auto probe = MediaFile::open(source);
    double bitRate = probe ? probe->bitRate(0).value_or(0) : 0;

    std::string plainProject = writeProject(dir, source, false);
    std::string shapesProject = writeProject(dir, source, true);
    // Veilcut's encoder settings, for the ffmpeg baselines.
    std::vector<std::string> encoding = {
        "-c:v",        "libx264",    "-preset",
        H264_PRESET,   "-b:v",       std::to_string(int64_t(bitRate)),
        "-pix_fmt",    "yuv420p",    "-color_primaries",
        "bt709",       "-color_trc", "bt709",
        "-colorspace", "bt709",      "-c:a",
        "aac",         "-b:a",       "128k",
        "-ac",         "1",          "-ar",
        "44100"};
    const int width = std::stoi(size), height = std::stoi(size.substr(size.find('x') + 1));
    if (auto params = h264Params(width, height); !params.empty()) {
        encoding.push_back("-x264-params");
        encoding.push_back(params);
    }
    auto ffmpeg = [&](std::vector<std::string> filter, const std::string& out) {
        std::vector<std::string> args = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", source};
        args.insert(args.end(), filter.begin(), filter.end());
        args.insert(args.end(), encoding.begin(), encoding.end());
        args.push_back((dir / out).string());
        return runProcess(args);
    };
    // The three regions where the shapes start, as static boxes in pixels.
    const std::string boxes =
        "[0:v]split=4[base][g][p][e];"
        "[g]crop=iw*0.2:ih*0.3:iw*0.05:ih*0.1,gblur=sigma=75[gb];"
        "[p]crop=iw*0.2:ih*0.3:iw*0.4:ih*0.6,scale=iw/28:ih/"
        "28,scale=iw*28:ih*28:flags=neighbor[pb];"
        "[e]crop=iw*0.2:ih*0.3:iw*0.7:ih*0.6,gblur=sigma=75[eb];"
        "[base][gb]overlay=W*0.05:H*0.1[o1];[o1][pb]overlay=W*0.4:H*0.6[o2];"
        "[o2][eb]overlay=W*0.7:H*0.6[v]";
    std::vector<Measure> plain, bare, shaped, graph;
    for (int run = 0; run < runs; ++run) {
        plain.push_back(ffmpeg({"-map", "0:v:0", "-map", "0:a:0"}, "ffmpeg.mp4"));
        bare.push_back(runProcess(
            {veilcut, "render", plainProject, "-o", (dir / "bare.mp4").string(), "--overwrite"}));
        shaped.push_back(runProcess({veilcut, "render", shapesProject, "-o",
                                     (dir / "shapes.mp4").string(), "--overwrite"}));
        graph.push_back(
            ffmpeg({"-filter_complex", boxes, "-map", "[v]", "-map", "0:a:0"}, "filtergraph.mp4"));
    }
    Measure a = median(plain), b = median(bare), c = median(shaped), d = median(graph);
    if (!a.ok || !b.ok || !c.ok || !d.ok) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    double frames = seconds * 30.0;
    std::printf("clip %s, %d s at 30 fps, %.1f Mbit/s, median of %d\n", size.c_str(), seconds,
                bitRate / 1e6, runs);
    auto print = [&](const char* label, const Measure& m) {
        std::printf("%s  %7.2f s  %6.1f fps  cpu %7.2f s  peak %5ld MB\n", label, m.seconds,
                    frames / m.seconds, m.cpuSeconds, m.peakKilobytes / 1024);
    };
    print("(a) ffmpeg transcode      ", a);
    print("(b) veilcut, no regions   ", b);
    print("(c) veilcut, three shapes ", c);
    print("(d) ffmpeg, three boxes   ", d);
    auto ratio = [](const char* label, const Measure& x, const Measure& y) {
        std::printf("%s = %.3f (wall), %.3f (cpu)\n", label, x.seconds / y.seconds,
                    x.cpuSeconds / y.cpuSeconds);
    };
    ratio("b/a", b, a);
    ratio("c/a", c, a);
    ratio("c/d", c, d);
    return 0;
}
