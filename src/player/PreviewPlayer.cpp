#include "player/PreviewPlayer.h"

#include <cmath>

#include "platform/dispatch/MainQueue.h"
#include "platform/log/Log.h"
#include "platform/media/AudioReader.h"
#include "platform/media/FrameAtTime.h"
#include "player/AudioOutput.h"

namespace {

constexpr int SOUND_RATE = 48000;
// A device that plays nothing for this long (suspended, unplugged) no longer holds the
// pictures back: the wall clock carries on from where its sound stopped.
constexpr auto SOUND_STALL = std::chrono::milliseconds(500);

}  // namespace

std::unique_ptr<PreviewPlayer> PreviewPlayer::open(const std::string& path, Size size,
                                                   PreviewPlayerCallbacks callbacks,
                                                   PreviewPlayerOptions options,
                                                   std::string* error) {
    VideoReaderSettings settings;
    settings.width = int(std::lround(size.width));
    settings.height = int(std::lround(size.height));
    auto reader = VideoReader::open(path, settings, error);
    if (!reader) return nullptr;
    // A video without sound (or whose sound cannot be decoded) plays silently.
    std::unique_ptr<AudioReader> sound;
    if (options.audio) sound = AudioReader::open(path, -1, SOUND_RATE);
    return std::unique_ptr<PreviewPlayer>(new PreviewPlayer(
        std::move(reader), std::move(sound), std::move(callbacks), std::move(options)));
}

PreviewPlayer::PreviewPlayer(std::unique_ptr<VideoReader> reader,
                             std::unique_ptr<AudioReader> sound, PreviewPlayerCallbacks callbacks,
                             PreviewPlayerOptions options)
    : reader_(std::move(reader)),
      now_(options.now),
      clock_(std::move(options.now)),
      sound_(std::move(sound)),
      audio_(std::move(options.audio)),
      callbacks_(std::move(callbacks)),
      range_(reader_->trackRange()),
      thread_([this] { run(); }) {}

PreviewPlayer::~PreviewPlayer() {
    *alive_ = false;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    reader_->cancel();
    changed_.notify_all();
    thread_.join();
    stopSound();
}

void PreviewPlayer::play() {
    playing_ = true;
    std::lock_guard lock(mutex_);
    play_ = true;
    changed_.notify_all();
}

std::optional<MediaTime> PreviewPlayer::pause() {
    playing_ = false;
    std::lock_guard lock(mutex_);
    play_ = false;
    changed_.notify_all();
    return shownTime_;
}

void PreviewPlayer::seek(const MediaTime& time, SeekCoalescer::Completion completion) {
    if (auto target = seeks_.request(time, std::move(completion))) {
        std::lock_guard lock(mutex_);
        seekTo_ = target;
        changed_.notify_all();
    }
}

void PreviewPlayer::refresh() {
    std::lock_guard lock(mutex_);
    refresh_ = true;
    changed_.notify_all();
}

void PreviewPlayer::postToMain(std::function<void()> task) const {
    MainQueue::shared().post([alive = alive_, task = std::move(task)] {
        if (*alive) task();
    });
}

Image PreviewPlayer::rendered(const VideoFrame& frame) const {
    return callbacks_.render ? callbacks_.render(frame.image, frame.time) : frame.image;
}

void PreviewPlayer::show(const VideoFrame& frame, Image finished) {
    if (callbacks_.present) callbacks_.present(finished, frame.time);
    current_ = frame;
}

void PreviewPlayer::showFrameAt(double seconds) {
    std::string error;
    nextFinished_.reset();
    // The key frame decoding starts from is shown at once; the exact frame follows.
    auto frame = frameAt(*reader_, seconds, error, &next_,
                         [this](const VideoFrame& key) { show(key, rendered(key)); });
    if (!frame) {
        logDebug("preview: " + error);
        return;
    }
    show(*frame, rendered(*frame));
}

void PreviewPlayer::playFrom(double seconds) {
    clock_.start(seconds);
    stopSound();
    if (!sound_ || !sound_->seek(seconds) || !audio_->start(SOUND_RATE)) return;
    sounding_ = true;
    soundStart_ = seconds;
    written_ = 0;
    lastPlayed_ = 0;
    lastPlayedAt_ = now_();
}

void PreviewPlayer::stopSound() {
    if (sounding_) audio_->stop();
    sounding_ = false;
    unwritten_.clear();
    unwrittenFrom_ = 0;
}

void PreviewPlayer::feedSound() {
    if (!sounding_) return;
    for (;;) {
        if (unwrittenFrom_ == unwritten_.size()) {
            AudioChunk chunk;
            if (sound_->read(chunk) != ReadStatus::frame) break;
            unwritten_ = std::move(chunk.samples);
            unwrittenFrom_ = 0;
        }
        size_t taken =
            audio_->write(unwritten_.data() + unwrittenFrom_, unwritten_.size() - unwrittenFrom_);
        unwrittenFrom_ += taken;
        written_ += int64_t(taken);
        if (unwrittenFrom_ < unwritten_.size()) break;
    }
    // While the device still has sound to play, its position is the clock; after the sound
    // track's end the wall clock carries on from there.
    const int64_t played = audio_->playedSamples();
    const auto now = now_();
    if (played != lastPlayed_) {
        lastPlayed_ = played;
        lastPlayedAt_ = now;
    }
    if (played < written_ && now - lastPlayedAt_ < SOUND_STALL)
        clock_.start(soundStart_ + double(played) / SOUND_RATE);
}

void PreviewPlayer::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!play_) {
            clock_.stop();
            stopSound();
        }
        changed_.wait(lock, [&] { return stop_ || seekTo_ || refresh_ || play_; });
        if (stop_) return;
        if (seekTo_) {
            const MediaTime target = *std::exchange(seekTo_, std::nullopt);
            lock.unlock();
            // A time within the frame on screen needs nothing decoded.
            const double t = target.seconds();
            if (!current_ || !next_ || t < current_->time.seconds() || t >= next_->time.seconds())
                showFrameAt(t);
            if (clock_.isRunning() && current_) playFrom(current_->time.seconds());
            postToMain([this] {
                if (auto next = seeks_.seekEnded()) {
                    std::lock_guard relock(mutex_);
                    seekTo_ = next;
                    changed_.notify_all();
                }
            });
            lock.lock();
            if (current_) shownTime_ = current_->time;
            continue;
        }
        if (refresh_) {
            refresh_ = false;
            lock.unlock();
            nextFinished_.reset();
            if (current_) show(*current_, rendered(*current_));
            lock.lock();
            if (current_) shownTime_ = current_->time;
            continue;
        }
        // Playing: the next frame is decoded and rendered now, and shown at its time.
        lock.unlock();
        if (!current_ && !next_) showFrameAt(range_.start.seconds());
        if (!clock_.isRunning()) {
            const double from = current_ ? current_->time.seconds() : range_.start.seconds();
            playFrom(from);
        }
        feedSound();
        if (next_ && !nextFinished_) nextFinished_ = rendered(*next_);
        // The next frame's time, or the end of the video, where playing goes on from the start.
        const double due = next_ ? next_->time.seconds() : range_.end().seconds();
        lock.lock();
        if (changed_.wait_until(lock, clock_.whenAt(due),
                                [&] { return stop_ || seekTo_ || refresh_ || !play_; }))
            continue;
        if (!next_) {
            lock.unlock();
            showFrameAt(range_.start.seconds());
            if (current_) {
                playFrom(current_->time.seconds());
            }
            lock.lock();
            if (current_) shownTime_ = current_->time;
            continue;
        }
        // Shown and reported under the lock, so that no frame comes after `pause` returns.
        VideoFrame frame = std::exchange(next_, std::nullopt).value();
        show(frame, *std::exchange(nextFinished_, std::nullopt));
        shownTime_ = frame.time;
        postToMain([this, time = frame.time] {
            if (playing_ && callbacks_.timeChanged) callbacks_.timeChanged(time);
        });
        lock.unlock();
        VideoFrame following;
        if (reader_->read(following) == ReadStatus::frame) next_ = following;
        lock.lock();
    }
}
