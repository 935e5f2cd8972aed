#pragma once
// The editor's preview playback: keeps a PreviewPlayer and the edit session's playhead in step
// both ways. Playing, the player's time reports move the playhead and post `timeChange`; paused,
// a `timeChange` (the timeline moved the playhead) seeks the player exactly there, bursts
// coalesced. `playStatusChange` plays or pauses, the playhead ending on the frame on screen. An
// edit (`updateFilter`) renders the frame on screen again. The end of an object tracking run
// changes the regions of every frame: the frame is rendered again, the player seeks back to the
// playhead and its next report is dropped, so that a report from before cannot move the playhead.
//
// Threads: main thread. `present` is called on the player's thread.

#include <functional>
#include <memory>
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

private:
    explicit PreviewPlayback(EditSession& session) : session_(session) {}
    void onTimeReport(const MediaTime& time);
    void seekToPlayhead();

    EditSession& session_;
    std::unique_ptr<PreviewPlayer> player_;
    bool dropNextReport_ = false;
    std::vector<std::unique_ptr<NotificationCenter::Token>> observers_;
};
