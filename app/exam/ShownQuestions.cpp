#include "app/exam/ShownQuestions.h"

#include <utility>

namespace exam {

std::shared_ptr<const ShownQuestion> ShownQuestions::find(const std::string& id,
                                                          std::uint64_t generation) const {
    std::lock_guard lock(mutex_);
    if (generation != generation_) return nullptr;
    const auto found = kept_.find(id);
    return found == kept_.end() ? nullptr : found->second;
}

void ShownQuestions::keep(const std::string& id, std::uint64_t generation,
                          std::shared_ptr<const ShownQuestion> question) {
    std::lock_guard lock(mutex_);
    // Generations only grow: a question read under an older one may already be stale.
    if (generation < generation_) return;
    if (generation > generation_ || kept_.size() >= kCapacity) kept_.clear();
    generation_ = generation;
    kept_[id] = std::move(question);
}

}  // namespace exam
