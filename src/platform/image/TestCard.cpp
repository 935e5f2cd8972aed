#include "platform/image/TestCard.h"

#include <algorithm>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

Image makeTestCard(int width, int height, bool deep) {
    width = std::max(16, width);
    height = std::max(16, height);
    cv::Mat card(height, width, CV_8UC4);
    // Hue across, brightness down: every colour at every level.
    cv::Mat hsv(height, width, CV_8UC3);
    hsv.forEach<cv::Vec3b>([&](cv::Vec3b& p, const int* at) {
        p = cv::Vec3b(uchar(180 * at[1] / width), uchar(255 - 155 * at[0] / height),
                      uchar(255 - 200 * at[0] / height));
    });
    cv::Mat rgb;
    cv::cvtColor(hsv, rgb, cv::COLOR_HSV2RGB);
    cv::cvtColor(rgb, card, cv::COLOR_RGB2RGBA);

    const int unit = std::max(2, height / 27);
    const cv::Scalar bars[] = {{235, 235, 235, 255}, {235, 235, 16, 255}, {16, 235, 235, 255},
                               {16, 235, 16, 255},   {235, 16, 235, 255}, {235, 16, 16, 255},
                               {16, 16, 235, 255},   {16, 16, 16, 255}};
    const int barWidth = width / 16;
    for (int i = 0; i < 8; ++i)
        cv::rectangle(
            card, cv::Rect(width / 2 + i * barWidth - barWidth * 4, unit * 2, barWidth, unit * 6),
            bars[i], cv::FILLED);
    // Fine detail: vertical and horizontal line gratings and a checkerboard.
    for (int x = 0; x < width / 4; x += 2)
        cv::line(card, {unit + x, unit * 10}, {unit + x, unit * 15}, {0, 0, 0, 255});
    for (int y = 0; y < unit * 5; y += 2)
        cv::line(card, {width / 3, unit * 10 + y}, {width / 3 + width / 4, unit * 10 + y},
                 {255, 255, 255, 255});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < width / 5 / unit; ++x)
            if ((x + y) % 2 == 0)  // drawing clips at the card's edges
                cv::rectangle(card, cv::Rect(width * 3 / 4 + x * unit, unit * (10 + y), unit, unit),
                              {255, 255, 255, 255}, cv::FILLED);
    cv::putText(card, "Veilcut 0123", {unit, unit * 20}, cv::FONT_HERSHEY_SIMPLEX, unit / 10.0,
                {255, 255, 255, 255}, std::max(1, unit / 5), cv::LINE_AA);
    // Night band with bright points of light.
    cv::rectangle(card, cv::Rect(0, unit * 21, width, height - unit * 21), {10, 12, 25, 255},
                  cv::FILLED);
    cv::RNG rng(5);
    for (int i = 0; i < 40; ++i) {
        const cv::Point at(rng.uniform(0, width), rng.uniform(unit * 22, height));
        const cv::Scalar colour(rng.uniform(180, 256), rng.uniform(150, 256), rng.uniform(80, 256),
                                255);
        cv::circle(card, at, std::max(1, unit / (i % 4 == 0 ? 1 : 6)), colour, cv::FILLED,
                   cv::LINE_AA);
    }
    if (deep) card.convertTo(card, CV_16U, 257);
    return Image(card);
}
