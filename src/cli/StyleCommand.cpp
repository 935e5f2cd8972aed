// veilcut style STYLE INTENSITY -o OUT.png [--input PICTURE] [--size WxH] [--deep]
//   [--area X,Y,W,H] [--overwrite]: one style applied to a generated test card (or a picture),
//   written to a
// file so the looks can be inspected.

#include <cstdio>
#include <string>

#include "cli/Command.h"
#include "cli/Options.h"
#include "cli/OutputOptions.h"
#include "core/RegionStyle.h"
#include "platform/image/ImageFile.h"
#include "platform/image/TestCard.h"

namespace {

struct CardSize {
    int width = 1920, height = 1080;
};

struct StyleRequest {
    RegionStyle style;
    std::string output;
    std::string input;
    CardSize card;
    bool deep = false, overwrite = false;
    std::optional<Rect> area;
};

std::optional<std::string> parseSize(const std::string& text, CardSize& r) {
    if (std::sscanf(text.c_str(), "%dx%d", &r.width, &r.height) != 2 || r.width < 16 ||
        r.height < 16 || r.width > 8192 || r.height > 8192)
        return "size must be WxH between 16 and 8192, not '" + text + "'";
    return std::nullopt;
}

std::optional<std::string> parseArea(const std::string& text, std::optional<Rect>& area) {
    Rect a;
    if (std::sscanf(text.c_str(), "%lf,%lf,%lf,%lf", &a.x, &a.y, &a.width, &a.height) != 4 ||
        a.isEmpty())
        return "area must be X,Y,W,H in pixels with a positive size, not '" + text + "'";
    area = a;
    return std::nullopt;
}

int applyStyle(const StyleRequest& request) {
    if (auto problem = outputProblem(request.output, {{request.input, "the input picture"}},
                                     request.overwrite))
        return failWith(*problem);
    Image frame;
    if (!request.input.empty()) {
        auto picture = readImageFile(request.input);
        if (!picture) return failWith("cannot read a picture from " + request.input);
        frame = *picture;
    } else {
        frame = makeTestCard(request.card.width, request.card.height, request.deep);
    }
    const auto styled =
        request.area ? request.style.apply(frame, *request.area) : request.style.apply(frame);
    if (!styled || styled->empty())
        return failWith("the style gave no picture (is the area outside the frame?)",
                        EXIT_WORK_FAILED);
    if (auto problem = writePicture(*styled, request.output, request.overwrite))
        return failWith(*problem, EXIT_WORK_FAILED);
    return 0;
}

}  // namespace

CommandRun defineStyle(CLI::App& app) {
    auto request = std::make_shared<StyleRequest>();
    addStyle(app, "STYLE", request->style.type, "style", "the style to apply")->required();
    addNumberIn(app, "INTENSITY", request->style.intensity, 0, 1, "its intensity, 0 to 1")
        ->required();
    addPictureOutput(app, "-o,--output", request->output, "OUT.png", "the picture file to write")
        ->required();
    addOverwrite(app, request->overwrite);
    addInputFile(app, "--input", request->input, "PICTURE",
                 "style this picture instead of the test card");
    addParsed<CardSize>(app, "--size", request->card, "WxH",
                        "the test card's size, 16 to 8192 on each side (1920x1080)", parseSize);
    app.add_flag("--deep", request->deep, "a 16-bit test card, as HDR frames are styled");
    addParsed<std::optional<Rect>>(app, "--area", request->area, "X,Y,W,H",
                                   "style only this rectangle, in pixels (lower-left origin)",
                                   parseArea);
    return [request] { return applyStyle(*request); };
}
