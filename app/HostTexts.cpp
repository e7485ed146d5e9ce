#include "app/HostTexts.h"

#include <mutex>

#include "app/VendorServices.h"

namespace exam {
namespace {

struct PublishedLines {
    std::mutex mutex;
    std::shared_ptr<const TextLines> lines;  // null until the first publication
};

PublishedLines& published() {
    static PublishedLines instance;
    return instance;
}

}  // namespace

TextLines BuiltInMemo1Lines() {
    return {"1.0",
            "当前不是最新版本，请及时升级到最新版本",
            VendorManualPageAddress(),
            "/",
            VendorAnswerReviewAddress(),
            VendorNewsAddress()};
}

std::shared_ptr<const TextLines> Memo1Lines() {
    {
        PublishedLines& current = published();
        std::lock_guard lock(current.mutex);
        if (current.lines) return current.lines;
    }
    return std::make_shared<const TextLines>(BuiltInMemo1Lines());
}

void PublishMemo1Lines(TextLines lines) {
    auto replacement = std::make_shared<const TextLines>(std::move(lines));
    PublishedLines& current = published();
    std::lock_guard lock(current.mutex);
    current.lines = std::move(replacement);
}

void RestoreBuiltInMemo1Lines() {
    PublishedLines& current = published();
    std::lock_guard lock(current.mutex);
    current.lines.reset();
}

std::optional<std::string> Memo1Line(std::size_t index) {
    std::shared_ptr<const TextLines> lines = Memo1Lines();
    if (index >= lines->size()) return std::nullopt;
    return (*lines)[index];
}

}  // namespace exam
