#pragma once

#include <filesystem>
#include <stdexcept>

namespace exam {

// A backup that could not be made; its message says why, for the person at the console.
class BackupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies the exam database `source` into the new file `target` while the server may be
// working on it: one consistent snapshot through the engine's online backup, taken behind
// the write gate, checked with the engine's integrity check and switched to a plain
// rollback journal so the copy is one self-contained file. The copy is made under a
// temporary name beside `target` and only then linked to it, so a failed backup leaves no
// file behind and an existing `target` is never overwritten, even one that appears
// meanwhile. Raises BackupError.
void BackupDatabase(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace exam
