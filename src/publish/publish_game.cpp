#include "publish_game.h"

#include "game_facts.h"
#include "game_release.h"
#include "map_questions.h"
#include "page_template.h"
#include "played_answers.h"

PublishCheck checkForPublishing(const MapAnalysis& analysis, const std::string& name) {
    PublishCheck check;
    check.refused = !runnerLoadsMap(analysis);
    for (const Diagnostic& diagnostic : mapDiagnostics(analysis)) {
        bool warns = diagnostic.severity == Warning || (diagnostic.severity == Note && diagnostic.cause != NO_CAUSE);
        if (diagnostic.severity == Error) check.errors.push_back(diagnosticLine(name, diagnostic));
        if (warns) check.warnings.push_back(diagnosticLine(name, diagnostic));
    }
    check.warningCount = countDiagnostics(analysis, Warning);
    if (check.refused) {
        check.errors.push_back(ReportLine{"kaland-publish: " + name + ": kaland refuses this map; nothing written"});
    }
    return check;
}

std::vector<ReportLine> strictRefusal(const PublishCheck& check, const std::string& name, bool strict) {
    if (!strict || check.warningCount == 0) return {};
    return {ReportLine{"kaland-publish: " + name + ": " + plural(check.warningCount, "warning") +
                       " and --strict; nothing written"}};
}

PublishedGame publishGame(MapAnalysis* analysis, const PublishRequest& request) {
    PublishedGame game;
    FirstScreen first = playFirstScreen(analysis);
    GameFacts facts = readGameFacts(mapBytes(*analysis), request.fileName, mapEncoding(*analysis),
                                    startRoomText(*analysis), request.title);
    if (facts.ifid.empty()) {
        facts.ifid = makeIfid(request.random);
        game.warnings = missingIfidWarning(request.name, facts.ifid);
    }
    game.page = request.pageTemplate;
    if (!fillPageTemplate(&game.page, mapBytes(*analysis), request.fileName, facts, &game.reason)) {
        game.failure = TemplateLacksPlace;
        return game;
    }
    fillFirstScreen(&game.page, pageFirstScreen(first.output, first.room, mapEncoding(*analysis), facts));
    if (request.zip &&
        !makeReleaseZip(game.page, mapBytes(*analysis), request.fileName, facts, request.time, &game.zip, &game.reason)) {
        game.failure = ZipFailed;
    }
    return game;
}
