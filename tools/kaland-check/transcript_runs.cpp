#include "transcript_runs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "expected_file.h"
#include "map_files.h"
#include "output_files.h"

namespace {

// Reads SCRIPT.expected. Returns 0, or the exit status its failure calls
// for after a message: 1 when it is missing or not a transcript (with the
// command that makes it), 2 when it cannot be read.
int readExpected(const std::string& mapPath, const std::string& script, std::string* output, int* status) {
    std::string path = expectedPath(script);
    errno = 0;
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr && errno == ENOENT) {
        std::fprintf(stderr, "%s: error: %s has no expected transcript; make it with: %s\n", path.c_str(),
                     script.c_str(), blessCommand(mapPath, script).c_str());
        return 1;
    }
    if (probe != nullptr) std::fclose(probe);
    std::string bytes;
    std::string error;
    if (!readWholeFile(path.c_str(), false, &bytes, &error)) {
        std::fprintf(stderr, "%s: error: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    if (!parseExpectedFile(bytes, output, status, &error)) {
        std::fputs(printedLines({badExpectedFileLine(mapPath, script, error)}).c_str(), stderr);
        return 1;
    }
    return 0;
}

}  // namespace

bool readKeyScripts(const std::vector<std::string>& paths, std::vector<KeyScript>* scripts) {
    bool read = true;
    for (const std::string& path : paths) {
        KeyScript script{path, {}};
        std::string error;
        if (readWholeFile(path.c_str(), true, &script.bytes, &error)) {
            scripts->push_back(std::move(script));
        } else {
            std::fprintf(stderr, "%s: error: %s\n", path.c_str(), error.c_str());
            read = false;
        }
    }
    return read;
}

int blessScripts(const char* mapName, MapAnalysis* analysis, const std::vector<std::string>& scripts) {
    std::vector<KeyScript> read;
    if (!readKeyScripts(scripts, &read)) return 2;
    int status = 0;
    for (const KeyScript& script : read) {
        Transcript transcript = playScript(analysis, script.bytes);
        std::string file = formatExpectedFile(transcript.output.bytes, transcript.status);
        if (!writeCheckerFile(expectedPath(script.path), file)) {
            status = 2;
            continue;
        }
        ReportLine blessed = blessedLine(mapName, script.path, transcript.output.bytes, transcript.status);
        std::fputs(printedLines({blessed}).c_str(), stdout);
    }
    return status;
}

int expectScripts(const char* mapName, const std::string& mapPath, MapAnalysis* analysis,
                  const std::vector<std::string>& scripts) {
    std::vector<KeyScript> read;
    if (!readKeyScripts(scripts, &read)) return 2;
    int status = 0;
    std::size_t same = 0;
    for (const KeyScript& script : read) {
        std::string expected;
        int expectedStatus = 0;
        std::fflush(stdout);
        int failure = readExpected(mapPath, script.path, &expected, &expectedStatus);
        std::fflush(stderr);
        if (failure != 0) {
            status = std::max(status, failure);
            continue;
        }
        Transcript transcript = playScript(analysis, script.bytes);
        std::vector<ReportLine> report =
            transcriptDifference(analysis, transcript, expected, expectedStatus,
                                 TranscriptNames{script.path, expectedPath(script.path), mapName});
        if (report.empty()) {
            ++same;
        } else {
            std::fputs(printedLines(report).c_str(), stdout);
            status = std::max(status, 1);
        }
    }
    std::fputs(printedLines({expectSummary(mapName, same, read.size())}).c_str(), stdout);
    return status;
}

int playRandomGames(const char* mapName, const std::string& mapPath, const MapAnalysis& analysis,
                    const RandomOptions& options) {
    RandomReport report = playRandom(analysis, options);
    std::string keysPath = randomKeysPath(mapPath, options.seed);
    int status = report.stoppedGames > 0 ? 1 : 0;
    if (report.firstStopped != 0 && !writeCheckerFile(keysPath, report.stoppedKeys)) status = 2;
    std::fputs(printedLines(randomReport(analysis, mapName, report, options, keysPath)).c_str(), stdout);
    std::fflush(stdout);
    std::fputs(printedLines(randomStop(analysis, mapName, report, keysPath)).c_str(), stderr);
    std::fflush(stderr);
    return status;
}
