#include "platform/media/FfmpegLogLevel.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

void quietFfmpegLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* wanted = std::getenv("VEILCUT_FFMPEG_LOG");
        av_log_set_level(wanted && std::strcmp(wanted, "1") == 0 ? AV_LOG_INFO : AV_LOG_QUIET);
    });
}
