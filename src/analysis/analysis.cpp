#include "analysis.h"

#include "map_analysis.h"
#include "map_loader.h"
#include "map_mending.h"
#include "map_reading.h"
#include "room_table.h"

void analyseMapBytes(MapAnalysis* analysis, std::string bytes, std::uint64_t machineMemory) {
    endAnalysis(analysis);
    analysis->bytes = std::move(bytes);
    analysis->hasBytes = true;
    analysis->check = MapCheck{};
    analysis->check.proposer = &CHECKER_MENDING;
    MapLineReader reader;
    if (startMapLinesInMemory(&reader, analysis->bytes.data(), analysis->bytes.size())) {
        readMapForCheck(&reader, machineMemory, &analysis->check);
        analyseMap(&analysis->check);
    } else {
        analysis->check.report(0, Error, "not enough memory to read it");
    }
    endMapLines(&reader);
    analysis->lineStarts = findLineStarts(analysis->bytes.data(), analysis->bytes.size());
    analysis->outline = outlineMap(analysis->bytes.data(), analysis->bytes.size());
}

void analyseMapLines(MapAnalysis* analysis, MapLineReader* reader, std::uint64_t machineMemory) {
    endAnalysis(analysis);
    analysis->bytes.clear();
    analysis->hasBytes = false;
    analysis->check = MapCheck{};
    analysis->lineStarts.clear();
    analysis->outline = MapOutline{};
    analysis->check.proposer = &CHECKER_MENDING;
    readMapForCheck(reader, machineMemory, &analysis->check);
    analyseMap(&analysis->check);
}

void endAnalysis(MapAnalysis* analysis) {
    if (analysis->tableTried && analysis->refusal.kind == NoDefect) freeRooms();
    analysis->tableTried = false;
    analysis->refusal = MapDefect{NoDefect, 0, 0};
}

std::string takeMapBytes(MapAnalysis* analysis) {
    endAnalysis(analysis);
    std::string bytes = std::move(analysis->bytes);
    analysis->bytes = std::string();
    analysis->hasBytes = false;
    return bytes;
}

const std::string& mapBytes(const MapAnalysis& analysis) {
    return analysis.bytes;
}

const MapOutline& mapOutline(const MapAnalysis& analysis) {
    return analysis.outline;
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
