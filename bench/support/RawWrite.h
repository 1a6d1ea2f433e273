#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

// The baseline for every save: the same bytes written in one piece to a temporary
// file, flushed and renamed over the target, as the program saves its files.
inline void rawWriteReplacing(benchmark::State& state, const std::vector<char>& bytes, const std::string& target)
{
    const std::string temporary = target + ".raw";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        state.SkipWithError("write failed");
    ::fsync(fd);
    ::close(fd);
    std::rename(temporary.c_str(), target.c_str());
}
