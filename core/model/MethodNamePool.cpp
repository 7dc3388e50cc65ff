#include "model/MethodNamePool.hpp"

#include <mutex>
#include <unordered_set>

namespace kelvane {
namespace {

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

struct Pool {
    std::mutex lock;
    std::unordered_set<std::string, TransparentHash, std::equal_to<>> names;
};

Pool& pool() {
    // Never destroyed: entries that point into it may outlive static destruction.
    static Pool* instance = new Pool;
    return *instance;
}

}  // namespace

const std::string* MethodNamePool::intern(std::string_view name) {
    // Listings repeat one method for long runs; remembering the last answer
    // per thread keeps the lock off the common path.
    thread_local const std::string* lastInterned = nullptr;
    if (lastInterned != nullptr && *lastInterned == name) return lastInterned;

    Pool& shared = pool();
    std::lock_guard guard(shared.lock);
    auto found = shared.names.find(name);
    if (found == shared.names.end()) {
        if (shared.names.size() >= kCapacity) return nullptr;
        found = shared.names.emplace(name).first;
    }
    lastInterned = &*found;
    return lastInterned;
}

}  // namespace kelvane
