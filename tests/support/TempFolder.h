#pragma once
// A fresh folder under the system temporary folder, removed with everything in it when the
// object goes. Unique per process and per object.

#include <atomic>
#include <filesystem>
#include <string>
#include <unistd.h>

class TempFolder {
public:
    explicit TempFolder(const std::string& label) {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("veilcut-" + label + "-" + std::to_string(::getpid()) + "-" +
                 std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
