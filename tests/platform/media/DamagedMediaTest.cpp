// Files that are empty, cut short, damaged or oddly tagged, and files read from memory.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include <opencv2/core.hpp>

#include "platform/media/AudioReader.h"
#include "platform/media/MediaFile.h"
#include "platform/media/VideoReader.h"
#include "support/TestMedia.h"

namespace {

std::vector<uint8_t> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST(DamagedMedia, AFileThatDoesNotOpenSaysWhy) {
    struct Case {
        const char* clip;
        const char* reason;
    };
    for (auto [clip, reason] : {Case{"empty.mp4", "the file is empty"},
                                Case{"garbage.mp4", "not a video Veilcut can read"},
                                Case{"moov-cut.mp4", "the file is truncated or damaged"},
                                Case{"playlist.mp4",
                                     "the file lists other files (a playlist); "
                                     "open a video file itself"}}) {
        std::string path = testMediaPath(clip), fileError, readerError;
        EXPECT_FALSE(MediaFile::open(path, &fileError));
        EXPECT_EQ(fileError, path + ": " + reason);
        EXPECT_FALSE(VideoReader::open(path, {}, &readerError));
        EXPECT_EQ(readerError, path + ": " + reason);
    }
}

TEST(DamagedMedia, BytesInMemoryReadAsTheFileDoes) {
    auto bytes = bytesOf(testMediaPath("noaudio.mp4"));
    auto fromFile = VideoReader::open(testMediaPath("noaudio.mp4"), {});
    auto fromMemory = VideoReader::open(MediaSource::memory(bytes, "clip"), {});
    ASSERT_TRUE(fromFile && fromMemory);
    EXPECT_EQ(fromMemory->trackRange().duration, fromFile->trackRange().duration);
    VideoFrame a, b;
    int frames = 0;
    while (fromFile->read(a) == ReadStatus::frame) {
        ASSERT_EQ(fromMemory->read(b), ReadStatus::frame);
        ASSERT_EQ(b.time, a.time);
        ASSERT_EQ(cv::norm(a.image.pixels, b.image.pixels, cv::NORM_INF), 0) << frames;
        ++frames;
    }
    EXPECT_EQ(fromMemory->read(b), ReadStatus::end);
    EXPECT_EQ(frames, 60);
    // Seeking back, as an exact range does, reads the bytes again from where it lands.
    ASSERT_TRUE(fromMemory->setRange({MediaTime(1, 1), MediaTime(1, 10)}));
    ASSERT_EQ(fromMemory->read(b), ReadStatus::frame);
    EXPECT_EQ(b.time, MediaTime(1, 1));

    // The size of the bytes is how a cut-short file is told from a whole one.
    auto cut = bytesOf(testMediaPath("truncated.mp4"));
    auto truncated = VideoReader::open(MediaSource::memory(cut, "cut"), {});
    ASSERT_TRUE(truncated);
    ReadStatus status;
    while ((status = truncated->read(b)) == ReadStatus::frame) {
    }
    EXPECT_EQ(status, ReadStatus::failed);

    std::string error;
    EXPECT_FALSE(MediaFile::open(MediaSource::memory({}, "nothing"), &error));
    EXPECT_EQ(error, "nothing: the file is empty");
}

TEST(DamagedMedia, ATurnThatIsNotAQuarterTurnIsRefused) {
    std::string error;
    EXPECT_FALSE(VideoReader::open(testMediaPath("rot45.mp4"), {}, &error));
    EXPECT_EQ(error, testMediaPath("rot45.mp4") +
                         ": its rotation tag turns the picture by 45 degrees; only quarter turns "
                         "are supported");
    // Quarter turns still read, their 16.16 sines being inexact.
    EXPECT_TRUE(VideoReader::open(testMediaPath("portrait.mp4"), {}));
}

TEST(DamagedMedia, DamagedAudioPacketsBecomeSilenceWithOneWarning) {
    // Five packets of 1024 samples at 48 kHz, from the 30th on, are damaged.
    auto reader = AudioReader::open(testMediaPath("bad-audio.mp4"), 1, 48000);
    ASSERT_TRUE(reader);
    testing::internal::CaptureStderr();
    std::vector<float> samples;
    AudioChunk chunk;
    ReadStatus status;
    while ((status = reader->read(chunk)) == ReadStatus::frame) {
        ASSERT_EQ(chunk.start, int64_t(samples.size()));
        samples.insert(samples.end(), chunk.samples.begin(), chunk.samples.end());
    }
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(status, ReadStatus::end) << reader->error();
    EXPECT_NEAR(double(samples.size()) / 48000, 2.0, 0.03);
    EXPECT_EQ(countOf(err, "damaged audio replaced with silence"), 1u) << err;
    // Silence where the damaged packets play (the encoder's priming packet and the decoder's
    // overlap of one packet put them 3 packets earlier in the output), the tone on either side.
    auto loudest = [&](int64_t from, int64_t count) {
        float peak = 0;
        for (int64_t i = from; i < from + count; ++i) peak = std::max(peak, std::abs(samples[i]));
        return peak;
    };
    EXPECT_LT(loudest(27 * 1024 + 128, 5 * 1024 - 256), 0.01f);
    EXPECT_GT(loudest(26 * 1024, 512), 0.1f);
    EXPECT_GT(loudest(32 * 1024 + 512, 512), 0.1f);
}

TEST(DamagedMedia, DamagedVideoStillFails) {
    auto reader = VideoReader::open(testMediaPath("bad-video.mp4"), {});
    ASSERT_TRUE(reader);
    VideoFrame frame;
    ReadStatus status;
    while ((status = reader->read(frame)) == ReadStatus::frame) {
    }
    EXPECT_EQ(status, ReadStatus::failed);
    EXPECT_NE(reader->error().find("cannot decode the video"), std::string::npos)
        << reader->error();
}

TEST(DamagedMedia, AudioThatChangesItsChannelsMidwayIsResampledAsItIs) {
    // A stereo second, then a mono one: read with the stereo set-up, the mono frames' missing
    // second plane would be read from nowhere.
    auto reader = AudioReader::open(testMediaPath("channels-change.aac"), 0, 44100);
    ASSERT_TRUE(reader);
    AudioChunk chunk;
    ReadStatus status;
    int64_t samples = 0;
    while ((status = reader->read(chunk)) == ReadStatus::frame) samples += chunk.samples.size();
    EXPECT_EQ(status, ReadStatus::end) << reader->error();
    EXPECT_NEAR(double(samples) / 44100, 2.0, 0.05);
}

TEST(DamagedMedia, AColourTagWithoutANameIsUnstated) {
    // Read as the enum, 126 was "other" and undefined behaviour (UBSan stops on it).
    auto file = MediaFile::open(testMediaPath("unknown-transfer.mkv"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->transferFunction(0), TransferFunction::unspecified);
    EXPECT_EQ(file->streamInfo(0)->transfer, "unknown");  // FFmpeg's name for unspecified
    auto reader = VideoReader::open(testMediaPath("unknown-transfer.mkv"),
                                    {.format = VideoPixelFormat::rgba16, .pqToHlg = true});
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->isPq());
    VideoFrame frame;
    EXPECT_EQ(reader->read(frame), ReadStatus::frame);
}
