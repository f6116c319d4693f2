// The bench programs' shared helpers: medians, the rows of the one figures
// table and the disk's own floor for a whole-file atomic rewrite. Plain C++
// and POSIX, so the Xlib bench can use it too.
//
// Every program prints the table header first, unless KV_BENCH_ROWS_ONLY is
// set (bench/run.sh prints it once for all of them). Each row reads
//   | figure | Kelvadrin | floor | ratio | target | met |
// and "met" is "yes", "no" or "-" for a figure that is only reported.

#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bench {

inline double median(std::vector<double> values) {
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

inline double millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Runs step `runs` times; the median of its durations in milliseconds.
template <class Step> double medianMillis(int runs, Step step) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step();
        times.push_back(millisSince(start));
    }
    return median(times);
}

inline void header() {
    if (std::getenv("KV_BENCH_ROWS_ONLY"))
        return;
    std::printf("| figure | Kelvadrin | floor | ratio | target | met |\n"
                "|---|---:|---:|---:|---|---|\n");
}

inline std::string number(double value) {
    if (std::isnan(value))
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(value) < 10 ? "%.2f" : "%.1f", value);
    return text;
}

// A target's limit as written by hand: 2, 1.3, 100.
inline std::string limitText(double limit) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", limit);
    return text;
}

inline void row(const std::string &figure, double value, double floor, const std::string &target,
                const char *met) {
    const double ratio = std::isnan(floor) || floor <= 0 ? NAN : value / floor;
    std::printf("| %s | %s | %s | %s | %s | %s |\n", figure.c_str(), number(value).c_str(),
                number(floor).c_str(), number(ratio).c_str(), target.c_str(), met);
    std::fflush(stdout);
}

// A figure against a fixed limit (in the figure's own unit); true when met.
inline bool rowLimit(const std::string &figure, double value, double limit,
                     const std::string &unit) {
    const bool met = value <= limit;
    row(figure, value, NAN, "<= " + limitText(limit) + (unit.empty() ? "" : " " + unit),
        met ? "yes" : "no");
    return met;
}

// A figure against the floor measured in the same run; true when the ratio is met.
inline bool rowRatio(const std::string &figure, double value, double floor, double maxRatio) {
    const bool met = floor > 0 && value / floor <= maxRatio;
    row(figure, value, floor, "ratio <= " + limitText(maxRatio), met ? "yes" : "no");
    return met;
}

// A figure that is only reported (with its floor, when there is one).
inline void rowReport(const std::string &figure, double value, double floor = NAN) {
    row(figure, value, floor, "report", "-");
}

// A figure that could not be measured: it counts as missed.
inline bool rowFailed(const std::string &figure, const std::string &target) {
    std::printf("| %s | failed | - | - | %s | no |\n", figure.c_str(), target.c_str());
    std::fflush(stdout);
    return false;
}

// The least any whole-file atomic rewrite of `path` costs on this disk: read
// the file, write the bytes to a temporary file, flush it to the disk and
// rename it over the previous copy. Milliseconds; NAN when it failed.
inline double diskFloorMillis(const std::string &path) {
    const auto start = std::chrono::steady_clock::now();
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (in < 0 || ::fstat(in, &info) != 0) {
        if (in >= 0)
            ::close(in);
        return NAN;
    }
    std::vector<char> bytes(size_t(info.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(in, bytes.data() + got, bytes.size() - got);
        if (n <= 0)
            break;
        got += size_t(n);
    }
    ::close(in);
    const std::string temp = path + ".floor.tmp";
    const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = got == bytes.size() && out >= 0;
    size_t put = 0;
    while (ok && put < bytes.size()) {
        const ssize_t n = ::write(out, bytes.data() + put, bytes.size() - put);
        ok = n > 0;
        put += size_t(ok ? n : 0);
    }
    ok = ok && ::fsync(out) == 0;
    ok = out >= 0 && ::close(out) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), (path + ".floor").c_str()) == 0;
    return ok ? millisSince(start) : NAN;
}

} // namespace bench
