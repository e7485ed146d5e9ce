#include "app/db/GroupCommit.h"

#include <map>
#include <string>

#include "app/db/Transaction.h"
#include "web/server/transport/WorkerWait.h"

namespace exam::db {

std::shared_ptr<GroupCommitter> GroupCommitter::forDatabase(const Database& db) {
    static std::mutex mutex;
    static std::map<const ConnectionPool*, std::weak_ptr<GroupCommitter>> committers;
    const ConnectionPool* pool = &db.Pool();
    std::lock_guard lock(mutex);
    std::erase_if(committers, [](const auto& entry) { return entry.second.expired(); });
    auto& slot = committers[pool];
    if (auto committer = slot.lock()) return committer;
    auto committer = std::make_shared<GroupCommitter>(db.FileName());
    slot = committer;
    return committer;
}

GroupCommitter::GroupCommitter(const std::filesystem::path& file) : db_(file) {}

void GroupCommitter::run(const Work& work) {
    // Waiting for the group's commit, or committing it for everyone, is not this request's
    // own work: the pool may start others meanwhile, which then join the next group.
    web::WorkerWait wait(web::WorkerWait::Resume::InTurn);
    Job job;
    job.work = &work;
    std::unique_lock lock(mutex_);
    queue_.push_back(&job);
    while (!job.done) {
        if (committing_) {
            finished_.wait(lock);
            continue;
        }
        // No commit in flight: this caller commits everything queued, its own work included.
        committing_ = true;
        std::vector<Job*> group;
        group.swap(queue_);
        lock.unlock();
        commitGroup(group);
        lock.lock();
        for (Job* member : group) member->done = true;
        committing_ = false;
        ++groups_;
        finished_.notify_all();
    }
    if (job.error) std::rethrow_exception(job.error);
}

void GroupCommitter::commitGroup(const std::vector<Job*>& group) {
    try {
        Transaction transaction(db_);
        for (Job* job : group) {
            Savepoint savepoint(db_);
            try {
                (*job->work)(db_);
            } catch (...) {
                job->error = std::current_exception();
            }
            // Outside the handler: a savepoint that cannot be undone fails the whole group.
            if (job->error) {
                savepoint.Rollback();
            } else {
                savepoint.Release();
            }
        }
        transaction.Commit();
    } catch (...) {
        // Nothing of the group is stored; every member that had not failed alone learns why.
        const std::exception_ptr error = std::current_exception();
        for (Job* job : group) {
            if (!job->error) job->error = error;
        }
    }
}

std::size_t GroupCommitter::waiting() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

std::size_t GroupCommitter::groups() const {
    std::lock_guard lock(mutex_);
    return groups_;
}

}  // namespace exam::db
