#pragma once
// What Linux tells of this process in /proc: the CPU time of each of its threads and the
// system's load average, for soak tests that report where the time went.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace Nimbrel::Testing {

struct ThreadTime {
    std::string name;
    double seconds = 0.0;
};

// CPU seconds of every thread of this process, by thread id.
inline std::map<int, ThreadTime> ThreadTimes()
{
    std::map<int, ThreadTime> times;
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        long utime = 0, stime = 0;
        for (int index = 3; rest >> field; ++index) {
            if (index == 14)
                utime = std::stol(field);
            if (index == 15) {
                stime = std::stol(field);
                break;
            }
        }
        times[std::stoi(entry.path().filename().string())] = {line.substr(open + 1, close - open - 1), (utime + stime) / tick};
    }
    return times;
}

inline std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string line;
    std::getline(in, line);
    return line;
}

// The id of the main thread, which is the process's.
inline int MainThreadId()
{
    return static_cast<int>(getpid());
}

}  // namespace Nimbrel::Testing
