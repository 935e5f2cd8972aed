#include "support/TestMedia.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string testMediaPath(const std::string& name) {
    return std::string(VEILCUT_TEST_MEDIA) + "/" + name;
}

CommandResult runVeilcut(const std::string& arguments) {
    namespace fs = std::filesystem;
    fs::path errFile = fs::temp_directory_path() /
                       ("veilcut-test-stderr-" + std::to_string(::getpid()) + ".txt");
    std::string command =
        std::string(VEILCUT_BINARY) + " " + arguments + " 2>" + errFile.string();
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
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
