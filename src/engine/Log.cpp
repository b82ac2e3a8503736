#include "engine/Engine.h"

#include <chrono>
#include <cstdio>
#include <mutex>

namespace {

std::mutex LogLock;
std::FILE* LogFile = nullptr;
const auto LogStart = std::chrono::steady_clock::now();

bool StartsWith(const std::string& Text, const char* Prefix) {
    return Text.rfind(Prefix, 0) == 0;
}

} // namespace

bool exLogOpen(const std::string& FileName) {
    const std::lock_guard<std::mutex> Guard(LogLock);
    if (LogFile) std::fclose(LogFile);
    LogFile = std::fopen(FileName.c_str(), "w");
    return LogFile != nullptr;
}

void exLogClose() {
    const std::lock_guard<std::mutex> Guard(LogLock);
    if (LogFile) std::fclose(LogFile);
    LogFile = nullptr;
}

void exLog(const std::string& Line) {
    const std::lock_guard<std::mutex> Guard(LogLock);
    const long long Ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - LogStart)
                             .count();
    if (LogFile) {
        std::fprintf(LogFile, "[%8lld ms] %s\n", Ms, Line.c_str());
        std::fflush(LogFile); // every line survives a crash that follows it
    }
    if (!LogFile || StartsWith(Line, "warning:") || StartsWith(Line, "error:"))
        std::fprintf(stderr, "%s\n", Line.c_str());
}
