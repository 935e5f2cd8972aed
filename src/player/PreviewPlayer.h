#pragma once
// The preview's playback engine, with no user interface: a player thread decodes the source at
// the preview size, has each frame rendered (the edit chain) ahead of its time and presents it
// when the playback clock reaches that time. It plays, pauses, loops to the start at the end
// while playing, seeks exactly under the rules of SeekCoalescer, and renders the frame on
// screen again when an edit changes it.
//
// Threads: the operations are the main thread's. `render` and `present` are called on the
// player thread, one frame at a time (`present` may be called with the player's lock held: it
// must not call the player); time reports and seek completions arrive on the main queue, never
// after the player is gone.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/image/Geometry.h"
#include "platform/image/Image.h"
#include "platform/media/VideoReader.h"
#include "platform/time/MediaTime.h"
#include "player/PlaybackClock.h"
#include "player/SeekCoalescer.h"

class AudioReader;
class AudioOutput;

struct PreviewPlayerCallbacks {
    // The finished picture for a decoded frame (upright, at the preview size).
    std::function<Image(const Image& source, const MediaTime& time)> render;
    // Shows a finished frame.
    std::function<void(const Image& frame, const MediaTime& time)> present;
    // While playing: the time of each frame presented.
    std::function<void(const MediaTime& time)> timeChanged;
};

struct PreviewPlayerOptions {
    // The sound's way out; none (or no device, or no sound track) plays on the wall clock.
    std::shared_ptr<AudioOutput> audio;
    PlaybackClock::Now now = &PlaybackClock::Clock::now;
};

class PreviewPlayer {
public:
    // A paused player showing nothing yet; empty, with a one-line reason, when the video
    // cannot be read. `size` is the upright preview size.
    static std::unique_ptr<PreviewPlayer> open(const std::string& path, Size size,
                                               PreviewPlayerCallbacks callbacks,
                                               PreviewPlayerOptions options = {},
                                               std::string* error = nullptr);
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer&) = delete;
    PreviewPlayer& operator=(const PreviewPlayer&) = delete;

    // Plays from the frame on screen (the start when none is).
    void play();
    // Stops on the frame on screen, whose time it returns (nothing before the first is shown);
    // no other frame is presented or reported after it returns.
    std::optional<MediaTime> pause();
    bool isPlaying() const { return playing_; }
    // Shows the frame at `time` (see SeekCoalescer for bursts and completions); playing goes on
    // from there. A time within the frame on screen costs nothing.
    void seek(const MediaTime& time, SeekCoalescer::Completion completion = {});
    // Renders the frame on screen again, and the next ones afresh: an edit changed them.
    void refresh();
    // The video's span.
    MediaTimeRange range() const { return range_; }

private:
    PreviewPlayer(std::unique_ptr<VideoReader> reader, std::unique_ptr<AudioReader> sound,
                  PreviewPlayerCallbacks callbacks, PreviewPlayerOptions options);
    void run();
    // Player thread: decodes the frame shown at `seconds` and what follows it, and shows it.
    void showFrameAt(double seconds);
    void show(const VideoFrame& frame, Image finished);
    Image rendered(const VideoFrame& frame) const;
    void postToMain(std::function<void()> task) const;
    // Player thread: the clock and the sound (or silence) run from `seconds` on; while the
    // sound plays, the clock follows it.
    void playFrom(double seconds);
    void stopSound();
    // Player thread: buffers what the device takes and sets the clock to what it has played.
    void feedSound();

    // Main thread only.
    SeekCoalescer seeks_;
    bool playing_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    // Player thread only.
    std::unique_ptr<VideoReader> reader_;
    const PlaybackClock::Now now_;
    PlaybackClock clock_;
    std::optional<VideoFrame> current_, next_;
    std::optional<Image> nextFinished_;
    std::unique_ptr<AudioReader> sound_;
    std::shared_ptr<AudioOutput> audio_;
    bool sounding_ = false;
    double soundStart_ = 0;         // the media time of the stream's first sample
    std::vector<float> unwritten_;  // read from the file, not yet taken by the device
    size_t unwrittenFrom_ = 0;
    int64_t written_ = 0;
    int64_t lastPlayed_ = 0;  // what the device had played when last seen moving, and when
    PlaybackClock::Clock::time_point lastPlayedAt_;

    const PreviewPlayerCallbacks callbacks_;
    const MediaTimeRange range_;

    // Requests from the main thread to the player thread.
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    bool play_ = false;
    bool refresh_ = false;
    std::optional<MediaTime> seekTo_;
    std::optional<MediaTime> shownTime_;  // of the frame on screen

    std::thread thread_;  // last: starts once everything above is built
};
