#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "app/db/Database.h"

namespace exam::db {

// Writes that must be durable before their callers go on, committed together: a caller
// queues its work and waits; whoever finds no commit in flight becomes the committer and
// runs every queued piece of work inside one BEGIN IMMEDIATE transaction, each under its
// own savepoint, and commits once. Work queued while a commit is in flight waits for the
// next one. A piece of work that raises is rolled back to its savepoint alone and its
// caller gets the error; the others commit. Any kind of write can be queued: the work is
// a function of the Database it must run its statements on.
class GroupCommitter {
public:
    using Work = std::function<void(Database&)>;

    // The committer of `db`'s file, shared by every caller on that file while any uses it.
    static std::shared_ptr<GroupCommitter> forDatabase(const Database& db);

    explicit GroupCommitter(const std::filesystem::path& file);
    GroupCommitter(const GroupCommitter&) = delete;
    GroupCommitter& operator=(const GroupCommitter&) = delete;

    // Runs `work` in the next group and returns once that group's commit is durable.
    // Raises what the work raised (its changes are undone), or the commit's error.
    void run(const Work& work);

    // Pieces of work queued and not yet taken by a committer.
    std::size_t waiting() const;
    // Groups committed or attempted so far.
    std::size_t groups() const;

private:
    struct Job {
        const Work* work = nullptr;
        std::exception_ptr error;
        bool done = false;
    };

    void commitGroup(const std::vector<Job*>& group);

    mutable std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<Job*> queue_;
    bool committing_ = false;
    std::size_t groups_ = 0;
    // Used by whichever caller commits, one at a time.
    Database db_;
};

}  // namespace exam::db
