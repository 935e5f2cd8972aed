#include "platform/vision/TfliteNetPool.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

struct Pool {
    std::mutex mutex;
    std::map<std::pair<std::string, VisionModel>, std::vector<std::unique_ptr<TfliteNet>>> idle;
};

// Never destroyed: detectors held in statics may give their networks back during exit.
Pool& pool() {
    static Pool* shared = new Pool;
    return *shared;
}

}  // namespace

void ReturnTfliteNetToPool::operator()(TfliteNet* net) const {
    std::unique_ptr<TfliteNet> owned(net);
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    p.idle[{directory, model}].push_back(std::move(owned));
}

Loaded<PooledTfliteNet> borrowTfliteNet(const ModelRegistry& models, VisionModel model) {
    using Result = Loaded<PooledTfliteNet>;
    ReturnTfliteNetToPool giveBack{models.directory().string(), model};
    {
        Pool& p = pool();
        std::lock_guard lock(p.mutex);
        auto& idle = p.idle[{giveBack.directory, model}];
        if (!idle.empty()) {
            PooledTfliteNet net(idle.back().release(), giveBack);
            idle.pop_back();
            return Result::success(std::move(net));
        }
    }
    Loaded<TfliteNet> built = loadTfliteNet(models, model);
    if (!built) return Result::failure(built.error);
    return Result::success(
        PooledTfliteNet(new TfliteNet(std::move(*built.value)), std::move(giveBack)));
}
