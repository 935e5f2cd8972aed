// veilcut style STYLE INTENSITY -o OUT.png [--input PICTURE] [--size WxH] [--deep]
//   [--area X,Y,W,H]: one style applied to a generated test card (or a picture), written to a
// file so the looks can be inspected.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/Command.h"
#include "core/RegionStyle.h"
#include "core/StyleKindName.h"
#include "platform/image/ImageFile.h"
#include "platform/image/TestCard.h"
#include "session/InputFile.h"

namespace {

constexpr const char* USAGE =
    "usage: veilcut style STYLE INTENSITY -o OUT.png [--input PICTURE] [--size WxH] [--deep] "
    "[--area X,Y,W,H]";

struct StyleRequest {
    RegionStyle style;
    std::string output;
    std::string input;
    int width = 1920, height = 1080;
    bool deep = false;
    std::optional<Rect> area;
};

bool parseNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

// Parses the arguments; on failure returns the message for the error line.
std::optional<std::string> parse(Arguments args, StyleRequest& r) {
    if (args.size() < 2) return std::string(USAGE);
    const auto type = styleKindFromName(args[0]);
    if (!type)
        return "unknown style '" + args[0] +
               "' (gaussian, motion, pixellate, bokeh, "
               "crystal, chrome, fade, instant, mono, noir, process, tonal, transfer, normal)";
    r.style.type = *type;
    if (!parseNumber(args[1], r.style.intensity) || r.style.intensity < 0 || r.style.intensity > 1)
        return "intensity must be a number from 0 to 1, not '" + args[1] + "'";
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--deep") {
            r.deep = true;
            continue;
        }
        if (i + 1 >= args.size()) return flag + " needs a value";
        const std::string& value = args[++i];
        if (flag == "-o" || flag == "--output") {
            r.output = value;
        } else if (flag == "--input") {
            r.input = value;
        } else if (flag == "--size") {
            if (std::sscanf(value.c_str(), "%dx%d", &r.width, &r.height) != 2 || r.width < 16 ||
                r.height < 16 || r.width > 8192 || r.height > 8192)
                return "size must be WxH between 16 and 8192, not '" + value + "'";
        } else if (flag == "--area") {
            Rect a;
            if (std::sscanf(value.c_str(), "%lf,%lf,%lf,%lf", &a.x, &a.y, &a.width, &a.height) !=
                    4 ||
                a.isEmpty())
                return "area must be X,Y,W,H in pixels with a positive size, not '" + value + "'";
            r.area = a;
        } else {
            return "unknown option '" + flag + "'";
        }
    }
    if (r.output.empty()) return "an output file is needed (-o OUT.png)";
    return std::nullopt;
}

}  // namespace

int runStyle(Arguments args) {
    StyleRequest request;
    if (auto problem = parse(args, request)) return failWith(*problem);
    Image frame;
    if (!request.input.empty()) {
        if (auto reason = unreadableFileReason(request.input)) return failWith(*reason);
        auto picture = readImageFile(request.input);
        if (!picture) return failWith("cannot read a picture from " + request.input);
        frame = *picture;
    } else {
        frame = makeTestCard(request.width, request.height, request.deep);
    }
    const auto styled =
        request.area ? request.style.apply(frame, *request.area) : request.style.apply(frame);
    if (!styled || styled->empty())
        return failWith("the style gave no picture (is the area outside the frame?)",
                        EXIT_WORK_FAILED);
    if (!writeImageFile(*styled, request.output))
        return failWith("cannot write " + request.output, EXIT_WORK_FAILED);
    return 0;
}
