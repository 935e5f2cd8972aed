#include "support/TestMedia.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string testMediaPath(const std::string& name) {
    return std::string(VEILCUT_TEST_MEDIA) + "/" + name;
}

bool makeClipOfPictures(const std::string& out, const std::string& colour, const std::string& size,
                        double seconds, const std::vector<std::string>& pictures,
                        const std::string& filter) {
    const std::string length = std::to_string(seconds);
    std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=" + colour +
                          ":s=" + size + ":d=" + length + ":r=10";
    for (const std::string& picture : pictures) command += " -loop 1 -framerate 10 -i " + picture;
    command +=
        " -filter_complex '" + filter + "' -t " + length + " -c:v libx264 -pix_fmt yuv420p " + out;
    return std::system(command.c_str()) == 0;
}

CommandResult runVeilcut(const std::string& arguments) {
    return runCommand(std::string(VEILCUT_BINARY) + " " + arguments);
}

CommandResult runCommand(const std::string& shellCommand) {
    namespace fs = std::filesystem;
    fs::path errFile =
        fs::temp_directory_path() / ("veilcut-test-stderr-" + std::to_string(::getpid()) + ".txt");
    std::string command = shellCommand + " 2>" + errFile.string();
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream ss;
    ss << err.rdbuf();
    result.err = ss.str();
    fs::remove(errFile);
    return result;
}
