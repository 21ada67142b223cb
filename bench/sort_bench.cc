// The in-place sort of a 1,000,000-record table, measured against what any
// in-place sort must at least do (read the file and write it back) and
// against GNU sort over the same bytes as fixed-width lines.
//
// The table: NAME C 20, CITY C 15, AMOUNT N 12.2, BORN D 8, FLAG L 1,
// NOTE C 10 (67-byte records); names and cities are random words of the
// Hungarian alphabet, accented letters included, in code page 852.
// Every run sorts a fresh copy by NAME+CITY; the copy is not timed. The tool's
// peak memory is its maximum resident set size.
//
//   sort_bench [--records=N] [google benchmark flags]
//   sort_bench [--records=N] --make=<path>   writes the table and ends
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

long recordCount = 1000000;
fs::path workDir;
fs::path master, work, linesMaster, linesWork, linesOut;

// The Hungarian alphabet in code page 852: small letters, then capitals at
// the same places.
const std::string smallLetters =
    "a\xA0"
    "bcde\x82"
    "fghi\xA1"
    "jklmno\xA2\x94\x8Bpqrstu\xA3\x81\xFBvwxyz";
const std::string capitalLetters =
    "A\xB5"
    "BCDE\x90"
    "FGHI\xD6"
    "JKLMNO\xE0\x99\x8APQRSTU\xE9\x9A\xEBVWXYZ";

// A capitalised random word of `from` to `to` letters.
std::string word(std::mt19937_64& rng, int from, int to) {
    const int n = from + static_cast<int>(rng() % static_cast<unsigned>(to - from + 1));
    std::string w(1, capitalLetters[rng() % capitalLetters.size()]);
    for (int i = 1; i < n; ++i) w += smallLetters[rng() % smallLetters.size()];
    return w;
}

std::string pad(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

void makeTable() {
    struct F {
        const char* name;
        char type;
        int length, decimals;
    } fields[] = {{"NAME", 'C', 20, 0}, {"CITY", 'C', 15, 0}, {"AMOUNT", 'N', 12, 2},
                  {"BORN", 'D', 8, 0},  {"FLAG", 'L', 1, 0},  {"NOTE", 'C', 10, 0}};
    const int nFields = 6, recLength = 67, headLength = 32 + 32 * nFields + 2;
    std::string head(32, '\0');
    head[0] = 0x03;
    head[1] = 26;
    head[2] = 12;
    head[3] = 11;
    put32(head, 4, static_cast<std::uint32_t>(recordCount));
    head[8] = static_cast<char>(headLength & 0xFF);
    head[9] = static_cast<char>(headLength >> 8);
    head[10] = recLength;
    int offset = 1;
    for (const F& f : fields) {
        std::string d(32, '\0');
        std::memcpy(d.data(), f.name, std::strlen(f.name));
        d[11] = f.type;
        put32(d, 12, static_cast<std::uint32_t>(offset));
        d[16] = static_cast<char>(f.length);
        d[17] = static_cast<char>(f.decimals);
        head += d;
        offset += f.length;
    }
    head += "\r";
    head += '\0';

    std::mt19937_64 rng(20261211);
    std::string body;
    std::string lines;
    body.reserve(static_cast<std::size_t>(recordCount) * recLength);
    lines.reserve(static_cast<std::size_t>(recordCount) * recLength);
    char buf[64];
    for (long i = 0; i < recordCount; ++i) {
        std::string rec =
            pad(word(rng, 4, 10) + " " + word(rng, 3, 8), 20) + pad(word(rng, 4, 14), 15);
        std::snprintf(buf, sizeof buf, "%12.2f", static_cast<double>(rng() % 10000000) / 100.0);
        rec += buf;
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", 1930 + static_cast<int>(rng() % 80),
                      1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28));
        rec += buf;
        rec += (rng() & 1) ? 'T' : 'F';
        std::string note(10, ' ');
        for (int k = 0; k < 7; ++k)
            note[static_cast<std::size_t>(k)] = static_cast<char>('a' + rng() % 26);
        rec += note;
        body += ' ';
        body += rec;
        lines += rec;
        lines += '\n';
    }
    std::ofstream(master, std::ios::binary) << head << body << '\x1A';
    std::ofstream(linesMaster, std::ios::binary) << lines;
}

struct ChildResult {
    double seconds;
    long maxRssKiB;
    int status;
};

ChildResult runChild(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout)) _exit(127);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss,
            WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

void fresh(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

std::map<std::string, std::vector<double>> times;
std::map<std::string, long> peakKiB;

void record(benchmark::State& state, const std::string& name, const ChildResult& r) {
    if (r.status != 0) state.SkipWithError(("exit status " + std::to_string(r.status)).c_str());
    state.SetIterationTime(r.seconds);
    times[name].push_back(r.seconds);
    peakKiB[name] = std::max(peakKiB[name], r.maxRssKiB);
    state.counters["peak_MiB"] = static_cast<double>(r.maxRssKiB) / 1024.0;
}

void BM_Tool(benchmark::State& state, const char* mode) {
    for (auto _ : state) {
        state.PauseTiming();
        fresh(master, work);
        state.ResumeTiming();
        record(state, std::string("tabulo ") + mode,
               runChild({BENCH_TABULO, mode, work.string(), "NAME+CITY"}));
    }
}

void BM_IoFloor(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fresh(master, work);
        state.ResumeTiming();
        record(state, "I/O floor", runChild({BENCH_IO_FLOOR, work.string()}));
    }
}

void BM_GnuSort(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        fresh(linesMaster, linesWork);
        state.ResumeTiming();
        record(state, "GNU sort",
               runChild({"env", "LC_ALL=C", "sort", "-s", "-t", "|", "-k1.1,1.35",
                         linesWork.string(), "-o", linesOut.string()}));
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void summary() {
    const double fileMiB = static_cast<double>(fs::file_size(master)) / (1 << 20);
    const double floorT = median(times["I/O floor"]);
    const double gnuT = median(times["GNU sort"]);
    const double limitMiB = fileMiB + 32.0 * static_cast<double>(recordCount) / (1 << 20) + 16.0;
    std::printf("\n%ld records, file %.1f MiB; medians of %zu runs\n", recordCount, fileMiB,
                times["I/O floor"].size());
    std::printf("%-18s %10s %10s %10s %12s\n", "", "time", "x floor", "x GNU sort", "peak MiB");
    for (const char* name : {"tabulo hungarian", "tabulo plain", "I/O floor", "GNU sort"}) {
        const double t = median(times[name]);
        std::printf("%-18s %8.1f ms %10.2f %10.2f %12.1f\n", name, t * 1000, t / floorT, t / gnuT,
                    static_cast<double>(peakKiB[name]) / 1024.0);
    }
    std::printf(
        "targets: tabulo <= 4.00 x floor and <= 0.40 x GNU sort; peak <= %.1f MiB "
        "(file + 32 B/record + 16 MiB)\n",
        limitMiB);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    std::string makeOnly;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--records=", 10) == 0)
            recordCount = std::atol(argv[i] + 10);
        else if (std::strncmp(argv[i], "--make=", 7) == 0)
            makeOnly = argv[i] + 7;
        else
            rest.push_back(argv[i]);
    }
    int restCount = static_cast<int>(rest.size());
    workDir = fs::temp_directory_path() / ("tabulo-bench-" + std::to_string(getpid()));
    fs::create_directories(workDir);
    master = workDir / "master.dbf";
    work = workDir / "work.dbf";
    linesMaster = workDir / "master.txt";
    linesWork = workDir / "work.txt";
    linesOut = workDir / "sorted.txt";
    if (!makeOnly.empty()) {
        master = makeOnly;
        linesMaster = makeOnly + ".txt";
        makeTable();
        fs::remove(linesMaster);
        fs::remove_all(workDir);
        return 0;
    }
    makeTable();

    // Every run is one child process, timed by hand; medians of seven.
    auto configure = [](benchmark::internal::Benchmark* b) {
        b->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)->Unit(
            benchmark::kMillisecond);
    };
    for (const char* mode : {"hungarian", "plain"})
        configure(
            benchmark::RegisterBenchmark((std::string("tabulo/") + mode).c_str(), BM_Tool, mode));
    configure(benchmark::RegisterBenchmark("io_floor", BM_IoFloor));
    configure(benchmark::RegisterBenchmark("gnu_sort", BM_GnuSort));
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary();
    fs::remove_all(workDir);
    return 0;
}
