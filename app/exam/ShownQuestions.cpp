#include "app/exam/ShownQuestions.h"

#include <utility>

namespace exam {
namespace {

std::size_t bytesOf(const ShownQuestion& question) {
    return question.text.size() + question.type.size() + question.answer.size() + question.options.size();
}

}  // namespace

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
    const std::size_t size = bytesOf(*question);
    if (generation > generation_ || kept_.size() >= kCapacity || bytes_ + size > kByteBudget) {
        kept_.clear();
        bytes_ = 0;
    }
    generation_ = generation;
    auto [at, added] = kept_.try_emplace(id);
    if (!added) bytes_ -= bytesOf(*at->second);
    at->second = std::move(question);
    bytes_ += size;
}

}  // namespace exam
