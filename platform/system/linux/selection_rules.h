#pragma once
// Sizes and book-keeping of the X11 clipboard owner's answers (platform/system/linux/clipboard.cpp).
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plat {

// Largest piece of data one property change may carry when the server takes requests of at
// most `maxRequestWords` 4-byte words (BIG-REQUESTS included): the request's own header and
// a margin leave room, and no piece is larger than 256 KiB, so big images go by INCR.
// Answers larger than this go in pieces of this size.
size_t selectionChunkBytes(uint32_t maxRequestWords);

// How many INCR answers one X client may have under way at once. A paste takes one; a
// client asking for more is refused until its earlier ones end.
inline constexpr size_t kSelectionTransfersPerClient = 8;

// One INCR answer in progress: the next piece goes when the requestor deletes the property.
struct SelectionTransfer {
    uint32_t requestor = 0;  // window
    uint32_t property = 0;   // atom
    uint32_t type = 0;       // atom
    std::shared_ptr<const std::vector<uint8_t>> data;
    size_t offset = 0;
    std::chrono::steady_clock::time_point lastStep;
};

// The answers under way, found by requestor window and property, so a flood of requests
// costs each one a lookup and not a walk over all the others. A client is told by its
// windows' ids: the server hands each client ids that share the bits outside
// `resourceIdMask` (the connection setup's mask).
class SelectionTransfers {
public:
    explicit SelectionTransfers(uint32_t resourceIdMask = 0, size_t perClient = kSelectionTransfersPerClient)
        : clientBits_(~resourceIdMask), perClient_(perClient) {}

    // The transfer into (requestor, property), begun afresh (one there before is replaced);
    // null when the requestor's client holds its share already.
    SelectionTransfer* start(uint32_t requestor, uint32_t property) {
        const Key key{requestor, property};
        auto it = byKey_.find(key);
        if (it == byKey_.end()) {
            size_t& held = heldBy(requestor);
            if (held >= perClient_) return nullptr;
            ++held;
            it = byKey_.emplace(key, SelectionTransfer{}).first;
        }
        it->second = SelectionTransfer{};
        it->second.requestor = requestor;
        it->second.property = property;
        return &it->second;
    }

    SelectionTransfer* find(uint32_t requestor, uint32_t property) {
        const auto it = byKey_.find(Key{requestor, property});
        return it == byKey_.end() ? nullptr : &it->second;
    }

    // Ends one transfer; true when its window has none left.
    bool end(uint32_t requestor, uint32_t property) {
        const auto it = byKey_.find(Key{requestor, property});
        if (it != byKey_.end()) erase(it);
        return !holdsAny(requestor);
    }

    // Ends every transfer to a window (it went away).
    void endAllOf(uint32_t requestor) {
        auto it = byKey_.lower_bound(Key{requestor, 0});
        while (it != byKey_.end() && it->first.first == requestor) it = erase(it);
    }

    bool holdsAny(uint32_t requestor) const {
        const auto it = byKey_.lower_bound(Key{requestor, 0});
        return it != byKey_.end() && it->first.first == requestor;
    }

    // Ends the transfers without a step since `before`; the windows left with none, once each.
    std::vector<uint32_t> endStalled(std::chrono::steady_clock::time_point before) {
        std::vector<uint32_t> idle;
        for (auto it = byKey_.begin(); it != byKey_.end();) {
            if (it->second.lastStep >= before) {
                ++it;
                continue;
            }
            const uint32_t requestor = it->first.first;
            it = erase(it);
            if (!holdsAny(requestor) && (idle.empty() || idle.back() != requestor)) idle.push_back(requestor);
        }
        return idle;
    }

    // The oldest last step, or time_point::max() when nothing runs.
    std::chrono::steady_clock::time_point oldestStep() const {
        auto oldest = std::chrono::steady_clock::time_point::max();
        for (const auto& [key, t] : byKey_) oldest = std::min(oldest, t.lastStep);
        return oldest;
    }

    size_t size() const { return byKey_.size(); }

private:
    using Key = std::pair<uint32_t, uint32_t>;  // requestor, property: a window's transfers sit together
    using Map = std::map<Key, SelectionTransfer>;

    size_t& heldBy(uint32_t requestor) { return held_[requestor & clientBits_]; }

    Map::iterator erase(Map::iterator it) {
        const auto held = held_.find(it->first.first & clientBits_);
        if (held != held_.end() && --held->second == 0) held_.erase(held);
        return byKey_.erase(it);
    }

    uint32_t clientBits_;
    size_t perClient_;
    Map byKey_;
    std::unordered_map<uint32_t, size_t> held_;  // transfers under way per client
};

}  // namespace plat
