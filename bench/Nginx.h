#pragma once

#include <sys/types.h>

#include <string>

#include "bench/BenchSupport.h"

namespace bench {

// A private nginx serving one file, to measure the exam server against: its
// configuration, pid file, logs, temporary folders and the file live in a temporary
// folder; it listens on a free port of 127.0.0.1 with two worker processes and runs in
// the foreground as this program's child, in a process group of its own. Stopped (and
// its workers with it) when this object goes, and told to stop by the kernel should this
// program die first.
class Nginx {
public:
    // Serves `content` as /<fileName>. Throws when nginx is missing or does not answer.
    Nginx(const std::string& fileName, const std::string& content);
    ~Nginx();
    Nginx(const Nginx&) = delete;
    Nginx& operator=(const Nginx&) = delete;

    Endpoint endpoint() const { return {"127.0.0.1", port_}; }
    const std::string& program() const { return program_; }

private:
    void writeConfiguration() const;
    void start();
    void waitUntilServing(const std::string& path, std::size_t size);
    void stop();
    std::string errorLog() const;

    TemporaryFolder folder_;
    std::string program_;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace bench
