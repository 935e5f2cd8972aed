// How well the face scan hides faces marked by hand, and how fast it runs:
//
//   detection [--small-faces] [--fast] [--quick] [--seconds S] [--pictures DIR] [--clips DIR]
//             [--faces FILE] [--json OUT] [--min-recall R] [--draw DIR]
//
// Clips are made from photographs of people (scripts/fetch-eval-pictures.sh) whose faces are
// marked in bench/detection/faces.json. Each picture gives four 1080p30 clips, each frame a known
// scale and shift of the picture, so every marked face's box in every frame follows exactly:
//   zoom     the view pulls back from the faces to well beyond the whole picture;
//   wide     the picture shown small (its median face 32 pixels tall), drifting sideways;
//   dim      the zoom at a third of the light, with sensor-like noise;
//   rotated  the zoom run backwards, stored a quarter turn round with a display rotation tag.
// Each clip is decoded alone (the baseline) and scanned as `veilcut anonymize` does by default
// (with --small-faces the search in smaller tiles is measured too, with --fast the search by
// BlazeFace alone, each in the same run), and every face region is
// given anonymize's default look. A face counts as hidden in a frame when the composited
// regions cover at least 80 % of its box with at least half opacity: the box runs from brow to
// chin and ear to ear, so 80 % leaves at most a strip along one edge, never the eyes and mouth.
//
// --quick: a subset (five pictures; zoom, wide and dim) for the recall floor test.
// --draw DIR: the middle frame of each clip as the scan saw it upright, with the covered pixels
// tinted and each marked face's box drawn (green hidden, red missed, blue profile), to check
// the marks and the transforms by eye.
// --min-recall R: exit 1 when the default scan's recall of frontal face-frames 24 px and taller
// falls below R.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "detection/Evaluation.h"
#include "faces/FaceEditor.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/image/FrameMemory.h"
#include "platform/image/ImageFile.h"
#include "platform/media/VideoReader.h"
#include "regions/TrackedRegion.h"
#include "session/EditSession.h"

namespace fs = std::filesystem;
using json = nlohmann::json;
using namespace evaluation;

namespace {

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

bool makeClip(const Clip& clip, const cv::Mat& bgr) {
    if (fs::exists(clip.path)) return true;
    bool rotated = clip.shot == Shot::rotated;
    std::string part = clip.path + ".part.mp4";
    std::string command =
        "ffmpeg -nostdin -loglevel error -y -f rawvideo -pix_fmt bgr24 -s " +
        std::string(rotated ? "1080x1920" : "1920x1080") + " -r " + std::to_string(FRAME_RATE) +
        " -i - -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p '" + part + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) return false;
    cv::RNG rng(0x5eed);
    bool ok = true;
    for (int i = 0; i < clip.frames && ok; ++i) {
        cv::Mat frame =
            renderFrame(bgr, clip.shot,
                        placement(*clip.picture, clip.pictureSize, clip.shot, i, clip.frames), rng);
        // Stored a quarter turn clockwise; the tag below (a display matrix turning a quarter
        // anticlockwise) brings it back upright, as a phone held sideways records.
        if (rotated) cv::rotate(frame, frame, cv::ROTATE_90_CLOCKWISE);
        ok = std::fwrite(frame.data, frame.total() * frame.elemSize(), 1, pipe) == 1;
    }
    ok = pclose(pipe) == 0 && ok;
    // ffmpeg writes the rotation tag only when copying a stream, not while encoding one.
    if (ok && rotated) {
        std::string tagged = clip.path + ".tagged.mp4";
        ok = run("ffmpeg -nostdin -loglevel error -y -i '" + part +
                 "' -c copy -metadata:s:v:0 rotate=90 '" + tagged + "'");
        fs::remove(part);
        part = tagged;
    }
    if (ok)
        fs::rename(part, clip.path);
    else
        fs::remove(part);
    return ok;
}

std::vector<Picture> readMarkedFaces(const std::string& path) {
    std::ifstream in(path);
    if (!in) return {};
    json doc = json::parse(in);
    std::vector<Picture> pictures;
    for (const auto& p : doc.at("pictures")) {
        Picture picture{p.at("name").get<std::string>(), {}};
        for (const auto& f : p.at("faces")) {
            auto b = f.at("box");
            picture.faces.push_back(
                {{b[0].get<double>(), b[1].get<double>(), b[2].get<double>(), b[3].get<double>()},
                 f.at("pose").get<std::string>() == "frontal"});
        }
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Decodes the clip as the scan reads it; the frame times.
std::vector<MediaTime> decode(const std::string& path, double& elapsed) {
    auto start = std::chrono::steady_clock::now();
    VideoReaderSettings settings;
    settings.maxSide = int(DETECTION_FRAME_SIDE);
    auto reader = VideoReader::open(path, settings);
    std::vector<MediaTime> times;
    VideoFrame frame;
    while (reader && reader->read(frame) == ReadStatus::frame) times.push_back(frame.time);
    elapsed = seconds(start);
    return times;
}

// The face scan and look of `veilcut anonymize` with its defaults: circle, gaussian, intensity
// 1, softness 0.2, scale 1.
std::optional<std::vector<TrackedRegion>> scanAndHide(const std::string& path, FaceScanReach reach,
                                                      double& elapsed) {
    EditSession session;
    if (auto problem = session.openSource(path)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return std::nullopt;
    }
    auto start = std::chrono::steady_clock::now();
    std::optional<std::string> failure;
    session.startFaceScan(reach, [&](const std::string& reason) { failure = reason; });
    FaceEditor& faces = session.faceEditor();
    MainQueue::shared().runUntil([&] { return faces.scanState() == FaceScanState::end; },
                                 std::chrono::hours(10));
    elapsed = seconds(start);
    if (failure) {
        std::fprintf(stderr, "scan of %s failed: %s\n", path.c_str(), failure->c_str());
        return std::nullopt;
    }
    for (int i = 0; i < int(faces.regions().size()); ++i) {
        faces.select(i);
        faces.setCover(int(Cover::circle));
        faces.setStyle(StyleKind::gaussian);
        faces.setIntensity(1);
        faces.setSoftness(0.2);
        faces.setScale(1);
        faces.finishEdit();
    }
    std::vector<TrackedRegion> regions = faces.regions();
    // The style decides only what the covered pixels look like; `normal` keeps a white source
    // white, so the composite shows each pixel's coverage directly.
    for (auto& r : regions) r.style.type = StyleKind::normal;
    return regions;
}

// The frame shown at `index`, decoded at full size and upright, with the coverage and boxes.
void drawFrame(const Clip& clip, int index, int frames, const cv::Mat& covered,
               const std::vector<bool>& hidden, const fs::path& out) {
    auto reader = VideoReader::open(clip.path, {});
    VideoFrame frame;
    for (int i = 0; i <= index; ++i)
        if (!reader || reader->read(frame) != ReadStatus::frame) return;
    cv::Mat original;
    cv::cvtColor(frame.image.pixels, original, cv::COLOR_RGBA2BGR);
    if (original.size() != covered.size()) return;
    cv::Mat tinted = original.clone(), bgr;
    tinted.setTo(cv::Scalar(255, 128, 0), covered);
    cv::addWeighted(original, 0.6, tinted, 0.4, 0, bgr);
    Placement at = placement(*clip.picture, clip.pictureSize, clip.shot, index, frames);
    for (size_t k = 0; k < clip.picture->faces.size(); ++k) {
        const MarkedFace& face = clip.picture->faces[k];
        cv::Scalar colour = !face.frontal ? cv::Scalar(255, 0, 0)
                            : hidden[k]   ? cv::Scalar(0, 255, 0)
                                          : cv::Scalar(0, 0, 255);
        cv::rectangle(bgr, pixelsOf(at.map(face.box)), colour, 2);
    }
    cv::Mat rgba;
    cv::cvtColor(bgr, rgba, cv::COLOR_BGR2RGBA);
    writeImageFile(Image(rgba), out.string());
}

void printSetting(const SettingResult& r, double decodeSeconds) {
    std::printf("\n== %s\n", r.name.c_str());
    std::printf("%-34s %8s %8s %8s\n", "frontal and three-quarter faces", "frames", "hidden",
                "recall");
    for (int c = SIZE_COUNT - 1; c >= 0; --c)
        std::printf("  %-32s %8ld %8ld %7.1f%%\n", SIZE_NAMES[c], r.frontal[c].frames,
                    r.frontal[c].hidden, 100 * r.frontal[c].recall());
    std::printf("  %-32s %8ld %8ld %7.1f%%\n", "all 24 px and taller", r.frontalGoal.frames,
                r.frontalGoal.hidden, 100 * r.frontalGoal.recall());
    std::printf("    %-30s %8ld\n", "missed but partly covered", r.partlyCovered);
    for (Shot s : SHOTS)
        if (r.byShot.count(s))
            std::printf("    %-30s %8ld %8ld %7.1f%%\n",
                        (std::string("in ") + shotName(s) + " clips").c_str(),
                        r.byShot.at(s).frames, r.byShot.at(s).hidden,
                        100 * r.byShot.at(s).recall());
    std::printf("%-34s %8ld %8ld %7.1f%%\n", "profiles and backs, 24 px and taller",
                r.profile.frames, r.profile.hidden, 100 * r.profile.recall());
    int covered90 = 0, longest = 0, longMisses = 0;
    for (const auto& p : r.persons) {
        covered90 += p.coverage() >= 0.9;
        longest = std::max(longest, p.longestMiss);
        longMisses += p.longestMiss > FRAME_RATE / 2;
    }
    std::printf("persons (face in one clip): %zu, hidden in >= 90 %% of their frames: %d\n",
                r.persons.size(), covered90);
    std::printf("longest run of unhidden frames: %d (%.2f s); persons with a run over 0.5 s: %d\n",
                longest, double(longest) / FRAME_RATE, longMisses);
    std::printf("hidden area outside faces (grown by one face): %.3f %% of the frame\n",
                r.frameCount ? 100 * r.outsideShareSum / r.frameCount : 0.0);
    std::printf("scan: %.1f s for %.1f s of video: %.2f x real time (decode alone %.2f x)\n",
                r.scanSeconds, r.clipSeconds, r.scanSeconds / r.clipSeconds,
                decodeSeconds / r.clipSeconds);
    std::vector<const PersonResult*> worst;
    for (const auto& p : r.persons) worst.push_back(&p);
    std::sort(worst.begin(), worst.end(),
              [](auto* a, auto* b) { return a->coverage() < b->coverage(); });
    std::printf("least covered persons:\n");
    for (size_t i = 0; i < std::min<size_t>(8, worst.size()); ++i)
        std::printf("  %-18s face %d %-8s %5.1f%% of %3ld frames, longest miss %d\n",
                    worst[i]->picture.c_str(), worst[i]->face, shotName(worst[i]->shot),
                    100 * worst[i]->coverage(), worst[i]->frames, worst[i]->longestMiss);
}

json tallyJson(const Tally& t) {
    return {{"frames", t.frames}, {"hidden", t.hidden}, {"recall", t.recall()}};
}

json settingJson(const SettingResult& r, double decodeSeconds) {
    json j;
    j["setting"] = r.name;
    json sizes;
    for (int c = 0; c < SIZE_COUNT; ++c) sizes[SIZE_NAMES[c]] = tallyJson(r.frontal[c]);
    j["frontalBySize"] = sizes;
    j["frontal"] = tallyJson(r.frontalGoal);
    j["frontalPartlyCovered"] = r.partlyCovered;
    json shots;
    for (const auto& [s, t] : r.byShot) shots[shotName(s)] = tallyJson(t);
    j["frontalByShot"] = shots;
    j["profile"] = tallyJson(r.profile);
    json persons = json::array();
    for (const auto& p : r.persons)
        persons.push_back({{"picture", p.picture},
                           {"face", p.face},
                           {"shot", shotName(p.shot)},
                           {"frames", p.frames},
                           {"coverage", p.coverage()},
                           {"longestMissFrames", p.longestMiss}});
    j["persons"] = persons;
    j["outsideFacesShare"] = r.frameCount ? r.outsideShareSum / r.frameCount : 0.0;
    j["scanSeconds"] = r.scanSeconds;
    j["clipSeconds"] = r.clipSeconds;
    j["scanToRealTime"] = r.scanSeconds / r.clipSeconds;
    j["decodeToRealTime"] = decodeSeconds / r.clipSeconds;
    return j;
}

// Where scripts/fetch-eval-pictures.sh puts the pictures when not told.
fs::path defaultPictureFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache) return fs::path(cache) / "veilcut" / "eval";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "/tmp") / ".cache" / "veilcut" / "eval";
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedFramesInHeap();
    bool quick = false;
    std::vector<SettingResult> results(1);
    results[0].name = "default";
    double clipSeconds = 2, minRecall = -1;
    fs::path pictures = defaultPictureFolder();
    fs::path clips = fs::temp_directory_path() / "veilcut-bench-detection";
    std::string facesFile = std::string(VEILCUT_SOURCE_DIR) + "/bench/detection/faces.json";
    std::string jsonOut;
    std::optional<fs::path> drawDir;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        bool hasValue = i + 1 < argc;
        if (a == "--small-faces" || a == "--fast") {
            SettingResult other;
            other.name =
                a == "--fast" ? "--fast (BlazeFace alone)" : "--small-faces (smaller tiles)";
            other.reach = a == "--fast" ? FaceScanReach::fast : FaceScanReach::smallFaces;
            results.push_back(other);
        } else if (a == "--quick")
            quick = true;
        else if (a == "--seconds" && hasValue)
            clipSeconds = std::atof(argv[++i]);
        else if (a == "--pictures" && hasValue)
            pictures = argv[++i];
        else if (a == "--clips" && hasValue)
            clips = argv[++i];
        else if (a == "--faces" && hasValue)
            facesFile = argv[++i];
        else if (a == "--json" && hasValue)
            jsonOut = argv[++i];
        else if (a == "--min-recall" && hasValue)
            minRecall = std::atof(argv[++i]);
        else if (a == "--draw" && hasValue)
            drawDir = argv[++i];
        else {
            std::fprintf(stderr,
                         "usage: detection [--small-faces] [--fast] [--quick] [--seconds S] "
                         "[--pictures DIR] [--clips DIR] [--faces FILE] [--json OUT] "
                         "[--min-recall R] [--draw DIR]\n");
            return 2;
        }
    }
    if (!(clipSeconds > 0 && clipSeconds <= 60)) {
        std::fprintf(stderr, "--seconds must be above 0 and at most 60\n");
        return 2;
    }
    std::string fetch = std::string(VEILCUT_SOURCE_DIR) + "/scripts/fetch-eval-pictures.sh '" +
                        pictures.string() + "'";
    if (std::system(fetch.c_str()) != 0) {
        std::fprintf(stderr, "cannot fetch the evaluation pictures\n");
        return 1;
    }
    fs::create_directories(clips);
    MainQueue::shared().bindToCurrentThread();

    std::vector<Picture> marked;
    try {
        marked = readMarkedFaces(facesFile);
    } catch (const json::exception& e) {
        std::fprintf(stderr, "%s: %s\n", facesFile.c_str(), e.what());
        return 1;
    }
    if (marked.empty()) {
        std::fprintf(stderr, "%s: no marked pictures\n", facesFile.c_str());
        return 1;
    }
    // The quick subset: a dim group, a crowd of small faces, two close-ups and an outdoor face.
    const std::vector<std::string> quickPictures = {"bar55.jpg", "2011_000006.jpg", "qt-logo.jpg",
                                                    "jesper_2.jpg", "grand_canyon_2.jpg"};
    std::vector<Clip> list;
    std::map<std::string, cv::Mat> loaded;
    int frames = int(std::lround(clipSeconds * FRAME_RATE));
    for (const Picture& p : marked) {
        if (quick &&
            std::find(quickPictures.begin(), quickPictures.end(), p.name) == quickPictures.end())
            continue;
        auto image = readImageFile((pictures / p.name).string());
        if (!image) {
            std::fprintf(stderr, "cannot read %s\n", p.name.c_str());
            return 1;
        }
        cv::Mat bgr;
        cv::cvtColor(image->pixels, bgr, cv::COLOR_RGBA2BGR);
        for (Shot s : SHOTS) {
            if (quick && s == Shot::rotated) continue;
            std::string stem = fs::path(p.name).stem().string();
            Clip clip{&p, s, bgr.size(), frames,
                      (clips / (stem + "-" + shotName(s) + "-" + std::to_string(frames) + "-" +
                                clipFingerprint(p, bgr.size(), s, frames) + ".mp4"))
                          .string()};
            if (!makeClip(clip, bgr)) {
                std::fprintf(stderr, "cannot make %s\n", clip.path.c_str());
                return 1;
            }
            list.push_back(clip);
        }
    }

    double decodeSeconds = 0;
    for (const Clip& clip : list) {
        double elapsed = 0;
        std::vector<MediaTime> times = decode(clip.path, elapsed);
        if (int(times.size()) != clip.frames) {
            std::fprintf(stderr, "%s: %zu frames decoded, %d made\n", clip.path.c_str(),
                         times.size(), clip.frames);
            return 1;
        }
        decodeSeconds += elapsed;
        for (size_t s = 0; s < results.size(); ++s) {
            double scanSeconds = 0;
            auto regions = scanAndHide(clip.path, results[s].reach, scanSeconds);
            if (!regions) {
                results[s].failed = true;
                continue;
            }
            results[s].scanSeconds += scanSeconds;
            results[s].clipSeconds += double(clip.frames) / FRAME_RATE;
            std::optional<fs::path> draw;
            if (drawDir) {
                fs::create_directories(*drawDir);
                draw = *drawDir / (fs::path(clip.path).stem().string() +
                                   (s > 0 ? "-" + std::to_string(s) : std::string()) + ".png");
            }
            judge(clip, times, *regions, results[s],
                  [&](int index, const cv::Mat& covered, const std::vector<bool>& hidden) {
                      if (draw) drawFrame(clip, index, clip.frames, covered, hidden, *draw);
                  });
        }
        std::fprintf(stderr, "%s %s done\n", clip.picture->name.c_str(), shotName(clip.shot));
    }

    std::printf("%zu clips of %.1f s (1920x1080, 30 fps) from %zu pictures\n", list.size(),
                clipSeconds, list.size() / (quick ? 3 : 4));
    json summary;
    summary["clips"] = list.size();
    summary["clipSeconds"] = clipSeconds;
    summary["quick"] = quick;
    summary["settings"] = json::array();
    for (const auto& r : results) {
        printSetting(r, decodeSeconds);
        summary["settings"].push_back(settingJson(r, decodeSeconds));
    }
    if (!jsonOut.empty()) std::ofstream(jsonOut) << summary.dump(2) << "\n";
    for (const auto& r : results)
        if (r.failed) return 1;
    if (minRecall >= 0 && results[0].frontalGoal.recall() < minRecall) {
        std::printf("recall %.3f is below the floor %.3f\n", results[0].frontalGoal.recall(),
                    minRecall);
        return 1;
    }
    return 0;
}
