#pragma once
// The editor's preview playback: keeps a PreviewPlayer and the edit session's playhead in step
// both ways. Playing, the player's time reports move the playhead and post `timeChange`; paused,
// a `timeChange` (the timeline moved the playhead) seeks the player exactly there, bursts
// coalesced. `playStatusChange` plays or pauses, the playhead ending on the frame on screen. An
// edit (`updateFilter`) renders the frame on screen again. The end of an object tracking run
// changes the regions of every frame: the frame is rendered again, the player seeks back to the
// playhead and its next report is dropped, so that a report from before cannot move the playhead.
//
// Reviewing: while the original is shown, frames pass without any edit, so the user can check
// what each cover hides.
//
// Threads: main thread. `present` is called on the player's thread.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dispatch/NotificationCenter.h"
#include "player/PreviewPlayer.h"

class EditSession;

class PreviewPlayback {
public:
    using Present = std::function<void(const Image& frame, const MediaTime& time)>;

    // Plays `session`'s source at the preview size, through the session's edits; shows the
    // frame at the playhead at once, the sound going to `audio` (none: the wall clock). Empty,
    // with a one-line reason, when there is no source or it cannot be read. The session
    // outlives the playback.
    static std::unique_ptr<PreviewPlayback> open(EditSession& session, Present present,
                                                 std::string* error = nullptr,
                                                 std::shared_ptr<AudioOutput> audio = {});

    PreviewPlayer& player() { return *player_; }

    // While `on`, the preview shows the source without any edit; the frame on screen is
    // rendered again at once.
    void showOriginal(bool on);
    bool showsOriginal() const { return showOriginal_.load(); }
    // Hands a copy of the source frame on screen (upright, at preview size, without edits) to
    // `done` on the main thread, once the player has rendered it again. A later request
    // replaces one not yet answered.
    void captureSourceFrame(std::function<void(Image)> done);

private:
    explicit PreviewPlayback(EditSession& session) : session_(session) {}
    void onTimeReport(const MediaTime& time);
    void seekToPlayhead();
    // Player's thread: answers a pending capture with `source`.
    void handOver(const Image& source);

    EditSession& session_;
    bool dropNextReport_ = false;
    std::atomic<bool> showOriginal_{false};
    std::mutex captureMutex_;
    std::function<void(Image)> capture_;  // under captureMutex_
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
    // Last, so it goes first: its thread renders through the members above until it stops.
    std::unique_ptr<PreviewPlayer> player_;
};
