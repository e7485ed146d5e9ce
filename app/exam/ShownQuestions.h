#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace exam {

// What the exam page shows of one question, as it is stored.
struct ShownQuestion {
    std::string text;
    std::string type;
    std::string answer;
    std::string options;
};

// The questions the exam page read, kept for the clicks that follow: a hall of candidates
// pages back and forth through the same questions, and reading one from the database
// costs more than the rest of a click. A question is kept with the database's data
// generation (ConnectionPool::dataGeneration) taken before it was read, and is found again
// only under that same generation, so any write to the file, from this process or
// another, sends the next click back to the database.
class ShownQuestions {
public:
    // Questions, and bytes of their texts, kept at most; more start the store afresh.
    static constexpr std::size_t kCapacity = 4096;
    static constexpr std::size_t kByteBudget = 8 * 1024 * 1024;

    // The question of `id` read under `generation`; null when not kept.
    std::shared_ptr<const ShownQuestion> find(const std::string& id, std::uint64_t generation) const;
    // Keeps `question`, read under `generation`. Questions of an earlier generation go;
    // one read under an earlier generation than those kept is not kept.
    void keep(const std::string& id, std::uint64_t generation, std::shared_ptr<const ShownQuestion> question);

private:
    mutable std::mutex mutex_;
    std::uint64_t generation_ = 0;
    std::size_t bytes_ = 0;
    std::unordered_map<std::string, std::shared_ptr<const ShownQuestion>> kept_;
};

}  // namespace exam
