#include "regions/LookPictures.h"

#include <bit>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "platform/image/ImageOps.h"
#include "regions/EmojiImage.h"
#include "regions/RegionMask.h"
#include "regions/ShapeMask.h"

namespace {

// Values by key, held weakly. Making a value happens under the lock: pictures are made on the
// main thread as regions are created or changed, so there is little to wait for.
template <typename Key, typename Value>
class WeakCache {
public:
    template <typename Make>
    std::shared_ptr<const Value> get(const Key& key, Make make) {
        std::lock_guard lock(mutex_);
        std::weak_ptr<const Value>& slot = entries_[key];
        if (auto held = slot.lock()) return held;
        auto made = std::make_shared<const Value>(make());
        slot = made;
        prune();
        return made;
    }

private:
    // Drops the entries no region holds any more once their number has doubled since the last
    // sweep, so sweeping costs a constant per lookup however many looks are alive.
    void prune() {
        if (entries_.size() < 2 * sizeAfterPrune_ + 16) return;
        std::erase_if(entries_, [](const auto& entry) { return entry.second.expired(); });
        sizeAfterPrune_ = entries_.size();
    }

    std::mutex mutex_;
    std::map<Key, std::weak_ptr<const Value>> entries_;
    size_t sizeAfterPrune_ = 0;
};

ShapeMasks makeShapeMasks(double sigma) {
    ShapeMasks m;
    m.rectangle = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, RECTANGLE_CORNER_RADIUS, sigma);
    m.circle = makeShapeMask(MASK_COLOR, MASK_CANVAS_SIDE, ELLIPSE_CORNER_RADIUS, sigma);
    if (m.rectangle) {
        m.rectangleAlpha = ImageOps::alphaChannel(*m.rectangle);
        m.rectangleVisiblePart = visibleMaskPart(*m.rectangle);
    }
    if (m.circle) {
        m.circleAlpha = ImageOps::alphaChannel(*m.circle);
        m.circleVisiblePart = visibleMaskPart(*m.circle);
    }
    return m;
}

}  // namespace

std::shared_ptr<const ShapeMasks> sharedShapeMasks(double sigma) {
    // Never destroyed: regions held by static objects may let go of their pictures after it.
    static auto* cache = new WeakCache<uint64_t, ShapeMasks>;
    return cache->get(std::bit_cast<uint64_t>(sigma), [&] { return makeShapeMasks(sigma); });
}

std::shared_ptr<const std::optional<Image>> sharedEmojiPicture(const std::string& text, bool hdr) {
    static auto* cache = new WeakCache<std::pair<std::string, bool>, std::optional<Image>>;
    return cache->get({text, hdr}, [&] {
        return hdr ? makeHDREmojiImage(text, EMOJI_FONT_SIZE)
                   : makeEmojiImage(text, EMOJI_FONT_SIZE);
    });
}
