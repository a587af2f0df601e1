// Throughput of the map line reader and the field scanner, in bytes per second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "map_directives.h"
#include "map_fields.h"
#include "map_lines.h"

namespace {

// About 8 MB in the shape of a large generated map.
std::string sampleMap() {
    std::string map;
    for (int room = 1; map.size() < (8u << 20); ++room) {
        map += "#helyiseg " + std::to_string(room) + "\n";
        for (int line = 0; line < 8; ++line) {
            map += "  The old stone door creaks in the wind, and the dark hall waits.\n";
        }
        for (char key : {'n', 's', 'e', 'w'}) {
            map += "#irany N " + std::to_string((room * 7919 + key) % 200000) + " " + key + "\n";
        }
    }
    return map;
}

void readAllLines(benchmark::State& state, const std::string& map) {
    MapLineReader reader;
    for (auto _ : state) {
        startMapLinesInMemory(&reader, map.data(), map.size());
        MapLine line;
        std::size_t lines = 0;
        while (readMapLine(&reader, &line)) lines += classifyMapLine(line) != BlankLine;
        endMapLines(&reader);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * map.size()));
}

void BM_MapLineReader(benchmark::State& state) {
    static const std::string map = sampleMap();
    readAllLines(state, map);
}
BENCHMARK(BM_MapLineReader);

void BM_MapLineReaderCrLf(benchmark::State& state) {
    static const std::string map = [] {
        std::string lf = sampleMap();
        std::string crlf;
        for (char byte : lf) {
            if (byte == '\n') crlf += '\r';
            crlf += byte;
        }
        return crlf;
    }();
    readAllLines(state, map);
}
BENCHMARK(BM_MapLineReaderCrLf);

void BM_FieldScanner(benchmark::State& state) {
    std::vector<std::string> lines;
    std::size_t bytes = 0;
    for (int i = 0; i < 10000; ++i) {
        lines.push_back("#irany N " + std::to_string(i * 37) + " e\n");
        lines.push_back("#helyiseg " + std::to_string(i) + "\n");
        bytes += lines[lines.size() - 2].size() + lines.back().size();
    }
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < lines.size(); i += 2) {
            ExitFields fields{};
            sum += static_cast<std::uint32_t>(scanExitFields(lines[i].data(), lines[i].size(), &fields));
            scanRoomNumber(lines[i + 1].data(), lines[i + 1].size(), &fields.target);
            sum += fields.target;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_FieldScanner);

}  // namespace

BENCHMARK_MAIN();
