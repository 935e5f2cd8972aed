#include "session/PreviewPlayback.h"

#include <utility>

#include "core/Notifications.h"
#include "platform/dispatch/MainQueue.h"
#include "session/EditSession.h"
#include "session/PreviewCompositor.h"

std::unique_ptr<PreviewPlayback> PreviewPlayback::open(EditSession& session, Present present,
                                                       std::string* error,
                                                       std::shared_ptr<AudioOutput> audio) {
    auto video = session.source();
    auto size = video ? video->size() : std::nullopt;
    if (!size) {
        if (error) *error = "no source video";
        return nullptr;
    }
    std::unique_ptr<PreviewPlayback> playback(new PreviewPlayback(session));
    PreviewPlayback* self = playback.get();
    PreviewPlayerCallbacks callbacks;
    callbacks.render = [&session, self](const Image& source, const MediaTime& time) {
        self->handOver(source);
        if (self->showOriginal_.load()) return source;
        return session.renderFrame(source, time, RenderPurpose::preview);
    };
    callbacks.present = std::move(present);
    callbacks.timeChanged = [self](const MediaTime& time) { self->onTimeReport(time); };
    playback->player_ =
        PreviewPlayer::open(video->path(), previewRenderSize(*size), std::move(callbacks),
                            {.audio = std::move(audio)}, error);
    if (!playback->player_) return nullptr;

    auto& center = NotificationCenter::defaultCenter();
    auto observe = [&](const NotificationName& name, std::function<void()> action) {
        self->observers_.push_back(center.addObserver(name, [action](auto) { action(); }));
    };
    observe(Notifications::timeChange, [self] {
        if (!self->player_->isPlaying()) self->seekToPlayhead();
    });
    observe(Notifications::playStatusChange, [self] {
        if (self->session_.isPlay) return self->player_->play();
        // The playhead ends on the frame on screen, which may be one the last report missed.
        auto shown = self->player_->pause();
        if (shown && *shown != self->session_.playhead) {
            self->session_.playhead = *shown;
            NotificationCenter::defaultCenter().post(Notifications::timeChange);
        }
    });
    observe(Notifications::updateFilter, [self] { self->player_->refresh(); });
    observe(Notifications::endTrackingObject, [self] {
        self->player_->refresh();
        self->seekToPlayhead();
        self->dropNextReport_ = true;
    });
    self->seekToPlayhead();
    return playback;
}

void PreviewPlayback::seekToPlayhead() {
    player_->seek(session_.playhead);
}

void PreviewPlayback::onTimeReport(const MediaTime& time) {
    if (std::exchange(dropNextReport_, false)) return;
    if (!session_.isPlay) return;
    session_.playhead = time;
    NotificationCenter::defaultCenter().post(Notifications::timeChange);
}

void PreviewPlayback::showOriginal(bool on) {
    if (showOriginal_.exchange(on) != on) player_->refresh();
}

void PreviewPlayback::captureSourceFrame(std::function<void(Image)> done) {
    {
        std::lock_guard lock(captureMutex_);
        capture_ = std::move(done);
    }
    player_->refresh();
}

void PreviewPlayback::handOver(const Image& source) {
    std::function<void(Image)> done;
    {
        std::lock_guard lock(captureMutex_);
        done = std::exchange(capture_, {});
    }
    if (!done) return;
    // A copy: the player reuses its buffers once the frame is presented.
    Image copy(source.pixels.clone(), source.extent);
    copy.properties = source.properties;
    MainQueue::shared().post([done = std::move(done), copy = std::move(copy)] { done(copy); });
}
