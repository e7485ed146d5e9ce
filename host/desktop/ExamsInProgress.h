#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace host {

// Candidates taking an exam now: papers in the autosave file that were saved within
// `within` before `now` (seconds since the epoch) and not handed in yet. A paper whose
// session has idled past the session time-out no longer counts. A missing or unreadable
// file counts none.
std::size_t CandidatesInExam(const std::filesystem::path& autosaveFile, std::int64_t now,
                             std::chrono::seconds within);

}  // namespace host
