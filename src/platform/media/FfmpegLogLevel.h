#pragma once
// FFmpeg's own chatter would break the one-line error rule of the command line: keep it quiet
// unless VEILCUT_FFMPEG_LOG=1. Idempotent, any thread.

void quietFfmpegLogs();
