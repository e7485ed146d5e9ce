#include "web/forms/TWFRenderMemo.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <unordered_map>

#include "web/forms/TWFHTMLTag.h"

namespace web::forms {
namespace {

std::string_view addedSince(const std::string& text, std::size_t mark) {
    return std::string_view(text).substr(mark);
}

}  // namespace

TWFContextMarks::TWFContextMarks(const TWFPageContext40& context)
    : validations(context.validations.size()),
      rendered(context.rendered.size()),
      scriptFiles(context.scriptFiles().size()) {
    const auto all = context.texts();
    for (std::size_t i = 0; i < all.size(); ++i) texts[i] = all[i]->size();
}

std::shared_ptr<const TWFRenderMemo> TWFRenderMemo::record(const TWFRenderKey& key,
                                                           const TWFContextMarks& before,
                                                           const TWFPageContext40& context,
                                                           const TWFControl& control, const TWFHTMLTag* tag,
                                                           std::optional<std::string> submitField) {
    if (context.scriptFiles().size() != before.scriptFiles) return nullptr;
    auto memo = std::make_shared<TWFRenderMemo>();
    for (auto at = context.rendered.begin() + static_cast<std::ptrdiff_t>(before.rendered);
         at != context.rendered.end(); ++at) {
        if (at->second != &control) return nullptr;
        memo->renderedNames_.push_back(at->first);
    }
    memo->hasTag_ = tag != nullptr;
    if (tag != nullptr) tag->render(memo->markup_);
    const auto all = context.texts();
    for (std::size_t i = 0; i < all.size(); ++i) {
        memo->added_ += addedSince(*all[i], before.texts[i]);
        memo->ends_[i] = memo->added_.size();
    }
    memo->validations_.assign(context.validations.begin() + static_cast<std::ptrdiff_t>(before.validations),
                              context.validations.end());
    memo->submitField_ = std::move(submitField);
    memo->key_ = key.written();
    return memo;
}

std::shared_ptr<const TWFRenderMemo> TWFRenderMemo::ofMarkup(const TWFRenderKey& key, std::string markup) {
    auto memo = std::make_shared<TWFRenderMemo>();
    memo->key_ = key.written();
    memo->markup_ = std::move(markup);
    memo->hasTag_ = true;
    return memo;
}

void TWFRenderMemo::replay(TWFPageContext40& context, TWFControl& control) const {
    const auto all = context.texts();
    std::size_t start = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (ends_[i] != start) all[i]->append(added_, start, ends_[i] - start);
        start = ends_[i];
    }
    if (!validations_.empty())
        context.validations.insert(context.validations.end(), validations_.begin(), validations_.end());
    for (const std::string& name : renderedNames_) context.rendered.emplace_back(name, &control);
    if (submitField_) context.AddSubmitField(*submitField_);
}

bool TWFRenderMemo::sameAs(const TWFContextMarks& before, const TWFPageContext40& context,
                           const TWFControl& control, const TWFHTMLTag* tag,
                           const std::optional<std::string>& submitField) const {
    if ((tag != nullptr) != hasTag_ || submitField != submitField_) return false;
    if (tag != nullptr && tag->render() != markup_) return false;
    const auto all = context.texts();
    std::size_t start = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (addedSince(*all[i], before.texts[i]) != std::string_view(added_).substr(start, ends_[i] - start))
            return false;
        start = ends_[i];
    }
    const auto rendered = context.rendered.begin() + static_cast<std::ptrdiff_t>(before.rendered);
    return std::equal(context.validations.begin() + static_cast<std::ptrdiff_t>(before.validations),
                      context.validations.end(), validations_.begin(), validations_.end()) &&
           std::equal(rendered, context.rendered.end(), renderedNames_.begin(), renderedNames_.end(),
                      [&](const auto& entry, const std::string& name) {
                          return entry.first == name && entry.second == &control;
                      });
}

std::size_t TWFRenderMemo::bytes() const {
    std::size_t total = sizeof *this + key_.capacity() + markup_.capacity() + added_.capacity();
    for (const auto& [condition, message] : validations_) total += condition.capacity() + message.capacity();
    for (const std::string& name : renderedNames_) total += sizeof name + name.capacity();
    return total;
}

namespace {

// The table in parts of their own lock, so that workers rendering at once seldom meet.
class MemoShards {
public:
    static MemoShards& instance() {
        static MemoShards shards;
        return shards;
    }

    std::shared_ptr<const TWFRenderMemo> find(std::string_view key) {
        Shard& shard = shardOf(key);
        std::lock_guard lock(shard.mutex);
        auto found = shard.memos.find(key);
        return found != shard.memos.end() ? found->second : nullptr;
    }

    void keep(const std::shared_ptr<const TWFRenderMemo>& memo) {
        Shard& shard = shardOf(memo->key());
        const std::size_t bytes = memo->bytes();
        std::lock_guard lock(shard.mutex);
        if (shard.bytes + bytes > kShardBudget) clear(shard);
        // Keyed by a view of the memo's own key, which lives as long as the entry.
        auto [at, added] = shard.memos.try_emplace(memo->key(), memo);
        if (added) shard.bytes += bytes;
    }

    void clearAll() {
        for (Shard& shard : shards_) {
            std::lock_guard lock(shard.mutex);
            clear(shard);
        }
    }

private:
    static constexpr std::size_t kShardCount = 16;
    // 32 MiB in all: the exam pages of many exams and every candidate's name field.
    static constexpr std::size_t kShardBudget = (32u << 20) / kShardCount;

    struct Shard {
        std::mutex mutex;
        std::unordered_map<std::string_view, std::shared_ptr<const TWFRenderMemo>> memos;
        std::size_t bytes = 0;
    };

    static void clear(Shard& shard) {
        shard.memos.clear();
        shard.bytes = 0;
    }

    Shard& shardOf(std::string_view key) { return shards_[std::hash<std::string_view>{}(key) % kShardCount]; }

    std::array<Shard, kShardCount> shards_;
};

}  // namespace

std::shared_ptr<const TWFRenderMemo> TWFRenderMemoTable::find(std::string_view key) {
    return MemoShards::instance().find(key);
}

bool TWFRenderMemoTable::lookUp(std::shared_ptr<const TWFRenderMemo>& kept, std::string_view key) {
    if (kept != nullptr && kept->matches(key)) return true;
    std::shared_ptr<const TWFRenderMemo> found = find(key);
    if (found == nullptr) return false;
    kept = std::move(found);
    return true;
}

void TWFRenderMemoTable::keep(const std::shared_ptr<const TWFRenderMemo>& memo) {
    MemoShards::instance().keep(memo);
}

void TWFRenderMemoTable::clear() {
    MemoShards::instance().clearAll();
}

namespace {

std::atomic<bool>& checkRenderMemos() {
    static std::atomic<bool> check = [] {
        const char* value = std::getenv("EXAMSERVER_CHECK_RENDER_MEMO");
        return value != nullptr && std::string_view(value) == "1";
    }();
    return check;
}

}  // namespace

bool CheckRenderMemos() {
    return checkRenderMemos().load(std::memory_order_relaxed);
}

void SetCheckRenderMemos(bool check) {
    checkRenderMemos() = check;
}

void StaleRenderMemo(const std::string& what) {
    std::fprintf(stderr, "%s renders differently from the same render key\n", what.c_str());
    std::abort();
}

}  // namespace web::forms
