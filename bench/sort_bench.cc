// The in-place sort of a 1,000,000-record table, measured against what any
// in-place sort must at least do (read the file and write it back) and
// against GNU sort over the same bytes as fixed-width lines.
//
// The table: NAME C 20, CITY C 15, AMOUNT N 12.2, BORN D 8, FLAG L 1,
// NOTE C 10 (67-byte records), Hungarian names and cities in code page 852.
// Every run sorts a fresh copy by NAME+CITY; the copy is not timed. The tool's
// peak memory is its maximum resident set size.
//
//   sort_bench [--records=N] [google benchmark flags]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

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

// Surnames, given names and cities in code page 852 (written here as the
// Windows-1250 bytes of the same letters and converted below).
const char* surnames[] = {"Nagy", "Kov\xE1" "cs", "T\xF3th", "Szab\xF3", "Horv\xE1th", "Varga",
                          "Kiss", "Moln\xE1r", "N\xE9meth", "Farkas", "Balogh", "Papp",
                          "Tak\xE1" "cs", "Juh\xE1sz", "Lakatos", "M\xE9sz\xE1ros", "Ol\xE1h",
                          "Simon", "R\xE1" "cz", "Fekete", "\xC1" "brah\xE1m", "\xD6rd\xF6g",
                          "\xC9rsek", "\xDAjv\xE1ri", "\xD5ri", "Buda", "Ill\xE9s", "Ott"};
const char* givenNames[] = {"L\xE1szl\xF3", "Istv\xE1n", "J\xF3zsef", "J\xE1nos", "Zolt\xE1n",
                            "M\xE1ria", "Erzs\xE9" "bet", "Katalin", "\xC9va", "Ilona",
                            "\xC1gnes", "\xD6" "d\xF6n", "\xDCr\xF6m", "Gy\xF5z\xF5",
                            "Zs\xF3" "fia", "Anna", "P\xE9ter", "G\xE1" "bor", "\xC1kos",
                            "Ir\xE9n", "T\xFCnde", "Be\xE1ta", "Mikl\xF3s", "Tam\xE1s"};
const char* cities[] = {"Budapest", "Debrecen", "Szeged", "Miskolc", "P\xE9" "cs", "Gy\xF5r",
                        "Ny\xEDregyh\xE1za", "Kecskem\xE9t", "Sz\xE9kesfeh\xE9rv\xE1r",
                        "Szombathely", "Szolnok", "Eger", "\xC9rd", "Tatab\xE1nya", "S\xF3pron",
                        "Kaposv\xE1r", "Veszpr\xE9m", "B\xE9k\xE9scsaba", "Zalaegerszeg",
                        "\xD3zd"};

// Windows-1250 to code page 852 for the letters used above.
unsigned char toOem(unsigned char c) {
    static const std::map<unsigned char, unsigned char> m = {
        {0xE1, 0xA0}, {0xE9, 0x82}, {0xED, 0xA1}, {0xF3, 0xA2}, {0xF6, 0x94}, {0xF5, 0x8B},
        {0xFA, 0xA3}, {0xFC, 0x81}, {0xFB, 0xFB}, {0xC1, 0xB5}, {0xC9, 0x90}, {0xCD, 0xD6},
        {0xD3, 0xE0}, {0xD6, 0x99}, {0xD5, 0x8A}, {0xDA, 0xE9}, {0xDC, 0x9A}, {0xDB, 0xEB}};
    auto it = m.find(c);
    return it == m.end() ? c : it->second;
}

std::string oem(std::string s) {
    for (auto& c : s) c = static_cast<char>(toOem(static_cast<unsigned char>(c)));
    return s;
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
    } fields[] = {{"NAME", 'C', 20, 0},  {"CITY", 'C', 15, 0}, {"AMOUNT", 'N', 12, 2},
                  {"BORN", 'D', 8, 0},   {"FLAG", 'L', 1, 0},  {"NOTE", 'C', 10, 0}};
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
        std::string name = std::string(surnames[rng() % std::size(surnames)]) + " " +
                           givenNames[rng() % std::size(givenNames)];
        std::string rec = pad(oem(name), 20) + pad(oem(cities[rng() % std::size(cities)]), 15);
        std::snprintf(buf, sizeof buf, "%12.2f", static_cast<double>(rng() % 10000000) / 100.0);
        rec += buf;
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", 1930 + static_cast<int>(rng() % 80),
                      1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28));
        rec += buf;
        rec += (rng() & 1) ? 'T' : 'F';
        std::string note(10, ' ');
        for (int k = 0; k < 7; ++k) note[static_cast<std::size_t>(k)] = static_cast<char>('a' + rng() % 26);
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
    std::printf("targets: tabulo <= 4.00 x floor and <= 0.40 x GNU sort; peak <= %.1f MiB "
                "(file + 32 B/record + 16 MiB)\n",
                limitMiB);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--records=", 10) == 0)
            recordCount = std::atol(argv[i] + 10);
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
    makeTable();

    for (const char* mode : {"hungarian", "plain"})
        benchmark::RegisterBenchmark((std::string("tabulo/") + mode).c_str(), BM_Tool, mode)
            ->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("io_floor", BM_IoFloor)
        ->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("gnu_sort", BM_GnuSort)
        ->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary();
    fs::remove_all(workDir);
    return 0;
}
