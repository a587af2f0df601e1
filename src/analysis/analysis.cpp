#include "analysis.h"

#include "map_analysis.h"
#include "map_loader.h"
#include "map_reading.h"
#include "room_table.h"

void analyseMapBytes(MapAnalysis* analysis, std::string bytes, std::uint64_t machineMemory) {
    endAnalysis(analysis);
    analysis->bytes = std::move(bytes);
    analysis->hasBytes = true;
    analysis->check = MapCheck{};
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, analysis->bytes.data(), analysis->bytes.size())) {
        readMapForCheck(&reader, machineMemory, &analysis->check);
        analyseMap(&analysis->check);
    } else {
        analysis->check.report(0, Error, "not enough memory to read it");
    }
    endMapLines(&reader);
}

void analyseMapLines(MapAnalysis* analysis, MapLineReader* reader, std::uint64_t machineMemory) {
    endAnalysis(analysis);
    analysis->bytes.clear();
    analysis->hasBytes = false;
    analysis->check = MapCheck{};
    readMapForCheck(reader, machineMemory, &analysis->check);
    analyseMap(&analysis->check);
}

void endAnalysis(MapAnalysis* analysis) {
    if (analysis->tableTried && analysis->refusal.kind == NoDefect) freeRooms();
    analysis->tableTried = false;
    analysis->refusal = MapDefect{NoDefect, 0, 0};
}

const std::string& mapBytes(const MapAnalysis& analysis) {
    return analysis.bytes;
}

const std::vector<Diagnostic>& mapDiagnostics(const MapAnalysis& analysis) {
    return analysis.check.diagnostics;
}

std::size_t countDiagnostics(const MapAnalysis& analysis, Severity severity) {
    return analysis.check.count(severity);
}

bool runnerLoadsMap(const MapAnalysis& analysis) {
    return analysis.check.count(Error) == 0;
}

MapEncoding mapEncoding(const MapAnalysis& analysis) {
    return analysis.check.encoding;
}

// The table is the process's one: only this analysis loads and releases it.
const MapDefect& loadRunnerTable(MapAnalysis* analysis) {
    if (analysis->tableTried) return analysis->refusal;
    analysis->tableTried = true;
    analysis->refusal = MapDefect{NoMemory, 0, 0};
    if (!analysis->hasBytes) return analysis->refusal;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, analysis->bytes.data(), analysis->bytes.size())) {
        loadMapFrom(&reader, &analysis->refusal);
    }
    endMapLines(&reader);
    return analysis->refusal;
}

std::vector<std::uint32_t> mapEndings(const MapAnalysis& analysis) {
    return findEndings(analysis.check);
}

RouteSearch findMapRoutes(const MapAnalysis& analysis, const std::vector<std::uint32_t>& targets) {
    return findRoutes(analysis.check, targets);
}

std::vector<Diagnostic> diagnosticsWithRoutes(const MapAnalysis& analysis, const RouteSearch& routes,
                                              const char* noun) {
    std::vector<Diagnostic> diagnostics = analysis.check.diagnostics;
    std::size_t id = analysis.check.reported;
    for (const UnreachedTarget& target : routes.unreached) {
        diagnostics.push_back(unreachedWarning(target, noun));
        diagnostics.back().id = id++;
    }
    sortDiagnostics(&diagnostics);
    return diagnostics;
}

CoverageReport coverScripts(MapAnalysis* analysis, const std::string& name, const std::vector<KeyScript>& scripts) {
    const MapDefect& refusal = loadRunnerTable(analysis);
    if (refusal.kind != NoDefect) return refusedCoverage(refusal);
    return measureCoverage(name.c_str(), analysis->check, scripts);
}

Transcript playScript(MapAnalysis* analysis, const std::string& script) {
    return playTranscript(loadRunnerTable(analysis), script);
}

std::vector<ReportLine> transcriptDifference(MapAnalysis* analysis, const Transcript& transcript,
                                             const std::string& expectedOutput, int expectedStatus,
                                             const TranscriptNames& names) {
    loadRunnerTable(analysis);
    return describeDifference(transcript, expectedOutput, expectedStatus, analysis->check, analysis->bytes, names);
}

RandomReport playRandom(const MapAnalysis& analysis, const RandomOptions& options) {
    return playRandomGames(analysis.check, options);
}

std::vector<ReportLine> randomReport(const MapAnalysis& analysis, const std::string& name, const RandomReport& report,
                                     const RandomOptions& options, const std::string& keysPath) {
    return randomReportLines(name, report, options, analysis.check, keysPath);
}

std::vector<ReportLine> randomStop(const MapAnalysis& analysis, const std::string& name, const RandomReport& report,
                                   const std::string& keysPath) {
    return randomStopError(name, report, analysis.check, keysPath);
}
