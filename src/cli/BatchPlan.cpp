#include "cli/BatchPlan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "cli/AuditReport.h"
#include "platform/vision/Sha256.h"
#include "session/InputFile.h"

namespace fs = std::filesystem;

namespace {

bool isHidden(const fs::path& path) {
    return path.filename().string().starts_with(".");
}

bool sameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// The files of `folder` with their paths relative to it, in name order: hidden ones (our own
// temporaries among them), reports and the output folder left out.
std::vector<std::pair<fs::path, fs::path>> filesIn(const fs::path& folder, bool recursive,
                                                   const fs::path& outputFolder) {
    std::vector<std::pair<fs::path, fs::path>> files;
    std::error_code ec;
    auto options = fs::directory_options::skip_permission_denied;
    for (auto it = fs::recursive_directory_iterator(folder, options, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code statusError;
        bool isFolder = it->is_directory(statusError);
        if (isHidden(path) || (isFolder && (!recursive || sameFolder(path, outputFolder)))) {
            if (isFolder) it.disable_recursion_pending();
            continue;
        }
        if (isFolder || isReportFileName(path.string())) continue;
        files.emplace_back(path, path.lexically_relative(folder));
    }
    std::sort(files.begin(), files.end());
    return files;
}

// What state an output is in: complete, in the way (with the reason), or free.
enum class OutputState { free, complete, inTheWay };

OutputState outputState(const BatchRequest& request, BatchFile& file) {
    const std::string report = reportPathOf(file.movie), table = reportTablePathOf(file.movie);
    std::error_code ec;
    std::vector<std::string> present;
    for (const std::string& path : {file.movie, report, table})
        if (fs::exists(fs::symlink_status(path, ec))) present.push_back(path);
    if (present.empty()) return OutputState::free;
    std::string reason;
    auto record = readAuditReport(report, reason);
    if (record && reportHasOptions(*record, request.options) &&
        fs::is_regular_file(file.movie, ec) &&
        reportNamesDigests(*record, sha256HexOfFile(file.source).value_or(""),
                           sha256HexOfFile(file.movie).value_or(""))) {
        // The table is made again from the report when asked for and missing.
        if (request.reportTable && !fs::exists(table, ec))
            if (auto problem = writeAuditTable(*record, table, false)) {
                file.reason = *problem;
                return OutputState::inTheWay;
            }
        return OutputState::complete;
    }
    if (request.overwrite) return OutputState::free;
    file.reason = present.front() + ": exists, but no report names this source, these options " +
                  "and this movie (use --overwrite to replace it)";
    return OutputState::inTheWay;
}

fs::path moviePathFor(const fs::path& outputFolder, fs::path relative) {
    relative.replace_extension(".mp4");
    return (outputFolder / relative).lexically_normal();
}

}  // namespace

bool isBatch(const std::vector<std::string>& inputs, const std::string& output) {
    std::error_code ec;
    if (inputs.size() != 1 || fs::is_directory(inputs.front(), ec)) return true;
    return output.ends_with("/") || fs::is_directory(output, ec);
}

std::optional<BatchPlan> planBatch(const BatchRequest& request, std::string& problem) {
    std::error_code ec;
    const fs::path outputFolder = request.outputFolder;
    if (fs::exists(outputFolder, ec) && !fs::is_directory(outputFolder, ec)) {
        problem = request.outputFolder + ": not a folder (several inputs go to a folder)";
        return std::nullopt;
    }
    // Every source with the movie it becomes, in the order given.
    std::vector<BatchFile> files;
    for (const std::string& input : request.inputs) {
        auto status = fs::status(input, ec);
        if (!fs::exists(status)) {
            problem = input + ": no such file or folder";
            return std::nullopt;
        }
        if (fs::is_directory(status) && sameFolder(input, outputFolder)) {
            // Its movies would be taken for sources by the next run.
            problem = input + ": the output folder may not be a folder it reads";
            return std::nullopt;
        }
        if (!fs::is_directory(status)) {
            files.push_back({input, moviePathFor(outputFolder, fs::path(input).filename()), {}});
            continue;
        }
        for (const auto& [path, relative] : filesIn(input, request.recursive, outputFolder))
            files.push_back({path.string(), moviePathFor(outputFolder, relative), {}});
    }
    std::map<std::string, std::string> sourceOfMovie;
    for (const BatchFile& file : files) {
        auto [known, added] = sourceOfMovie.emplace(file.movie, file.source);
        if (!added) {
            problem = known->second + " and " + file.source + " would both become " + file.movie;
            return std::nullopt;
        }
    }
    std::map<fs::path, std::string> sources;  // by their canonical paths
    for (const BatchFile& file : files)
        sources.emplace(fs::weakly_canonical(file.source, ec), file.source);
    for (const BatchFile& file : files)
        for (const std::string& written :
             {file.movie, reportPathOf(file.movie), reportTablePathOf(file.movie)})
            if (auto source = sources.find(fs::weakly_canonical(written, ec));
                source != sources.end()) {
                problem = written + ": is the source video " + source->second;
                return std::nullopt;
            }
    BatchPlan plan;
    for (BatchFile& file : files) {
        if (auto reason = unreadableFileReason(file.source)) {
            file.reason = *reason;
            plan.unreadable.push_back(std::move(file));
            continue;
        }
        switch (outputState(request, file)) {
            case OutputState::free:
                plan.toDo.push_back(std::move(file));
                break;
            case OutputState::complete:
                plan.complete.push_back(std::move(file));
                break;
            case OutputState::inTheWay:
                plan.kept.push_back(std::move(file));
                break;
        }
    }
    return plan;
}
