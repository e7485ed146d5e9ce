#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The host window's hidden text list `Memo1`. Start-up may replace it once with the
// vendor's version text; request threads read it afterwards. The list is published whole,
// so a reader holds either the complete old or the complete new content.
namespace exam {

using TextLines = std::vector<std::string>;

// The built-in content: line 0 the newest version known ("1.0"), line 1 the upgrade
// message, line 2 the vendor's manual page, line 3 where a candidate's browser goes after
// hand-in ("/", the start address of this server, so the next candidate finds the home
// page), line 4 the vendor's answer-review page, line 5 the vendor's news page. The vendor
// lines follow the vendor address in use when called.
TextLines BuiltInMemo1Lines();

// The list in use: the last one published, or the built-in content when none was.
std::shared_ptr<const TextLines> Memo1Lines();

// Replaces the whole list.
void PublishMemo1Lines(TextLines lines);

// Drops a published list: the built-in content is in use again.
void RestoreBuiltInMemo1Lines();

// Line `index` (counted from 0) of the list in use, or nullopt when the list is shorter.
std::optional<std::string> Memo1Line(std::size_t index);

}  // namespace exam
