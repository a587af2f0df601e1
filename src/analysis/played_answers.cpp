#include "played_answers.h"

CoverageReport coverScripts(MapAnalysis* analysis, const std::string& name, const std::vector<KeyScript>& scripts) {
    const MapDefect& refusal = loadRunnerTable(analysis);
    if (refusal.kind != NoDefect) return refusedCoverage(refusal);
    return measureCoverage(name.c_str(), analysis->check, scripts);
}

Transcript playScript(MapAnalysis* analysis, const std::string& script) {
    return playTranscript(loadRunnerTable(analysis), script);
}

FirstScreen playFirstScreen(MapAnalysis* analysis) {
    return firstScreen(loadRunnerTable(analysis));
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
