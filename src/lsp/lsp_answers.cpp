#include "lsp_answers.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "map_places.h"
#include "text_bytes.h"

namespace {

// The protocol's numbers for what the answers hold.
enum DiagnosticSeverity { SeverityError = 1, SeverityWarning = 2, SeverityInformation = 3 };
constexpr int SYMBOL_NAMESPACE = 3;
constexpr int COMPLETION_VALUE = 12;
constexpr int COMPLETION_KEYWORD = 14;
constexpr int COMPLETION_ENUM_MEMBER = 20;
// At most this many rooms in one list of completions or workspace symbols:
// a list is for picking from, and a map may have a million rooms.
constexpr std::size_t MOST_LISTED = 1000;

const char* const SOURCE = "kaland-check";

int severityOf(Severity severity) {
    return severity == Error ? SeverityError : severity == Warning ? SeverityWarning : SeverityInformation;
}

// A room's name in lists: its first line of text, or "room N" without one.
std::string roomTitle(const RoomEntry& entry) {
    return entry.firstLine.empty() ? "room " + std::to_string(entry.room) : entry.firstLine;
}

LineSpan numberSpan(const HeadingLine& heading) {
    return LineSpan{heading.line, heading.number.begin, heading.number.end};
}

LineSpan targetSpan(const ExitLineFields& exit) {
    return LineSpan{exit.line, exit.spans[1].begin, exit.spans[1].end};
}

// The room a room number at the place names, for references and renames.
bool roomNumberAt(const MapSpot& spot, std::uint32_t* room) {
    if (spot.kind != HeadingNumber && spot.kind != ExitTarget) return false;
    *room = spot.room;
    return true;
}

bool spotAtRequest(Session* session, const json& params, Document** document, MapSpot* spot, ResponseError* error) {
    std::uint64_t line = 0;
    std::size_t offset = 0;
    if (!requestedPlace(session, params, document, &line, &offset, error)) return false;
    *spot = spotAt((*document)->analysis, line, offset);
    return true;
}

std::string asciiLowercase(std::string text) {
    for (char& byte : text) byte = lowercaseByte(byte);
    return text;
}

// The last part of a URI's path: the map's file name.
std::string fileNameOf(const std::string& uri) {
    std::size_t slash = uri.find_last_of('/');
    return slash == std::string::npos ? uri : uri.substr(slash + 1);
}

json completionItem(const Document& document, const LineSpan& replaced, const std::string& label, int kind,
                    const std::string& detail, PositionEncoding encoding) {
    return json{{"label", label},
                {"kind", kind},
                {"detail", detail},
                {"textEdit", {{"range", rangeJson(document, replaced, encoding)}, {"newText", label}}}};
}

// Room numbers for a target or a heading: the next free number first, then
// (for a target) the rooms whose number starts with what was typed.
json roomNumberItems(const Document& document, const Typing& typing, PositionEncoding encoding, bool* incomplete) {
    json items = json::array();
    const MapOutline& outline = mapOutline(document.analysis);
    if (outline.nextFreeRoom != 0) {
        json item = completionItem(document, typing.replaced, std::to_string(outline.nextFreeRoom), COMPLETION_VALUE,
                                   "a new room: the next free number", encoding);
        item["sortText"] = "0";
        items.push_back(item);
    }
    if (typing.place != TypingTarget) return items;
    std::size_t lineStart = documentLineStarts(document)[typing.replaced.line - 1];
    std::string typed = documentBytes(document).substr(lineStart + typing.replaced.begin,
                                                       typing.replaced.end - typing.replaced.begin);
    for (const RoomEntry& entry : listRooms(document.analysis)) {
        std::string number = std::to_string(entry.room);
        if (number.compare(0, typed.size(), typed) != 0) continue;
        if (items.size() > MOST_LISTED) {
            *incomplete = true;
            break;
        }
        char order[16];
        std::snprintf(order, sizeof order, "1%010u", static_cast<unsigned>(entry.room));
        json item = completionItem(document, typing.replaced, number, COMPLETION_VALUE, roomTitle(entry), encoding);
        item["sortText"] = order;
        items.push_back(item);
    }
    return items;
}

}  // namespace

json diagnosticJson(const Document& document, const Diagnostic& diagnostic, PositionEncoding encoding) {
    return json{{"range", rangeJson(document, diagnosticSpan(document.analysis, diagnostic), encoding)},
                {"severity", severityOf(diagnostic.severity)},
                {"source", SOURCE},
                {"message", diagnostic.text}};
}

json diagnosticsParams(const Document& document, PositionEncoding encoding) {
    const std::vector<Diagnostic>& diagnostics = mapDiagnostics(document.analysis);
    std::unordered_map<std::size_t, std::size_t> byId;
    std::vector<json> ranges;
    json list = json::array();
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        const Diagnostic& diagnostic = diagnostics[i];
        byId.emplace(diagnostic.id, i);
        list.push_back(diagnosticJson(document, diagnostic, encoding));
        ranges.push_back(list.back()["range"]);
    }
    // A note under a cause is listed with the cause, and the cause with it.
    for (std::size_t i = 0; i < diagnostics.size(); ++i) {
        auto cause = byId.find(diagnostics[i].cause);
        if (diagnostics[i].cause == NO_CAUSE || cause == byId.end()) continue;
        std::size_t under = cause->second;
        list[under]["relatedInformation"].push_back(
            json{{"location", {{"uri", document.uri}, {"range", ranges[i]}}}, {"message", diagnostics[i].text}});
        list[i]["relatedInformation"] = json::array(
            {json{{"location", {{"uri", document.uri}, {"range", ranges[under]}}}, {"message", diagnostics[under].text}}});
    }
    return json{{"uri", document.uri}, {"version", document.version}, {"diagnostics", list}};
}

bool answerHover(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = nullptr;
    MapSpot spot;
    if (!spotAtRequest(session, params, &document, &spot, error)) return false;
    std::string told = describeSpot(document->analysis, spot);
    if (told.empty()) return true;  // null: nothing to tell here
    *result = json{{"contents", {{"kind", "plaintext"}, {"value", told}}},
                   {"range", rangeJson(*document, spot.span, session->encoding)}};
    return true;
}

bool answerDefinition(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = nullptr;
    MapSpot spot;
    if (!spotAtRequest(session, params, &document, &spot, error)) return false;
    *result = json::array();
    if (spot.kind == ExitTarget) {
        for (const HeadingLine* heading : headingsOf(mapOutline(document->analysis), spot.room)) {
            result->push_back(locationJson(*document, numberSpan(*heading), session->encoding));
        }
    } else if ((spot.kind == ExitKey || spot.kind == NamedKey) && spot.inRoom) {
        // The exit the key takes.
        const ExitLineFields* exit = exitTakenByKey(document->analysis, spot.room, spot.key);
        if (exit != nullptr) {
            result->push_back(locationJson(*document, exitKeySpan(document->analysis, *exit), session->encoding));
        }
    }
    return true;
}

bool answerReferences(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = nullptr;
    MapSpot spot;
    if (!spotAtRequest(session, params, &document, &spot, error)) return false;
    *result = json::array();
    std::uint32_t room = 0;
    if (!roomNumberAt(spot, &room)) return true;
    const json* context = memberOf(params, "context");
    const json* declaration = context != nullptr ? memberOf(*context, "includeDeclaration") : nullptr;
    bool withHeadings = declaration != nullptr && declaration->is_boolean() && declaration->get<bool>();
    std::vector<LineSpan> places;
    if (withHeadings) {
        places = roomNumberPlaces(mapOutline(document->analysis), room);
    } else {
        for (const ExitLineFields* exit : exitsInto(mapOutline(document->analysis), room)) {
            places.push_back(targetSpan(*exit));
        }
    }
    for (const LineSpan& place : places) result->push_back(locationJson(*document, place, session->encoding));
    return true;
}

bool answerDocumentSymbols(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = requestedDocument(session, params, error);
    if (document == nullptr) return false;
    *result = json::array();
    for (const RoomEntry& entry : listRooms(document->analysis)) {
        json range = json{{"start", positionJson(positionOf(*document, entry.heading->line, 0, session->encoding))},
                          {"end", positionJson(positionOf(*document, entry.lastLine, SIZE_MAX, session->encoding))}};
        result->push_back(json{{"name", roomTitle(entry)},
                               {"detail", "room " + std::to_string(entry.room)},
                               {"kind", SYMBOL_NAMESPACE},
                               {"range", range},
                               {"selectionRange", rangeJson(*document, numberSpan(*entry.heading), session->encoding)}});
    }
    return true;
}

bool answerWorkspaceSymbols(Session* session, const json& params, json* result, ResponseError* error) {
    std::string query;
    if (memberOf(params, "query") != nullptr && !readString(params, "query", &query)) {
        *error = ResponseError{InvalidParams, "workspace/symbol needs its query as a string"};
        return false;
    }
    query = asciiLowercase(query);
    *result = json::array();
    for (auto& entry : session->documents) {
        Document& document = entry.second;
        analyseDocument(&document, session->machineMemory);
        for (const RoomEntry& room : listRooms(document.analysis)) {
            std::string name = roomTitle(room);
            if (asciiLowercase(name + " " + std::to_string(room.room)).find(query) == std::string::npos) continue;
            if (result->size() >= MOST_LISTED) return true;
            result->push_back(json{{"name", name},
                                   {"kind", SYMBOL_NAMESPACE},
                                   {"containerName", fileNameOf(document.uri)},
                                   {"location", locationJson(document, numberSpan(*room.heading), session->encoding)}});
        }
    }
    return true;
}

bool answerCompletion(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = nullptr;
    std::uint64_t line = 0;
    std::size_t offset = 0;
    if (!requestedPlace(session, params, &document, &line, &offset, error)) return false;
    Typing typing = typingAt(document->analysis, line, offset);
    json items = json::array();
    bool incomplete = false;
    switch (typing.place) {
    case TypingDirective:
        for (const MapWord& word : directiveWords()) {
            items.push_back(completionItem(*document, typing.replaced, word.word, COMPLETION_KEYWORD, word.meaning,
                                           session->encoding));
        }
        break;
    case TypingKindLetter:
        for (const MapWord& letter : kindLetters()) {
            items.push_back(completionItem(*document, typing.replaced, letter.word, COMPLETION_ENUM_MEMBER,
                                           letter.meaning, session->encoding));
        }
        break;
    case TypingTarget:
    case TypingHeadingNumber:
        items = roomNumberItems(*document, typing, session->encoding, &incomplete);
        break;
    default:
        break;
    }
    *result = json{{"isIncomplete", incomplete}, {"items", items}};
    return true;
}

bool answerPrepareRename(Session* session, const json& params, json* result, ResponseError* error) {
    Document* document = nullptr;
    MapSpot spot;
    if (!spotAtRequest(session, params, &document, &spot, error)) return false;
    std::uint32_t room = 0;
    if (!roomNumberAt(spot, &room)) return true;  // null: nothing to rename here
    *result = json{{"range", rangeJson(*document, spot.span, session->encoding)}, {"placeholder", std::to_string(room)}};
    return true;
}

bool answerRename(Session* session, const json& params, json* result, ResponseError* error) {
    std::string newName;
    if (!readString(params, "newName", &newName)) {
        *error = ResponseError{InvalidParams, "textDocument/rename needs newName as a string"};
        return false;
    }
    Document* document = nullptr;
    MapSpot spot;
    if (!spotAtRequest(session, params, &document, &spot, error)) return false;
    std::uint32_t room = 0;
    if (!roomNumberAt(spot, &room)) {
        *error = ResponseError{RequestFailed, "only a room number can be renamed: put the cursor on the number of a "
                                              "#helyiseg line or on an exit's target"};
        return false;
    }
    std::uint32_t renamed = 0;
    std::string refusal;
    if (!readNewRoomNumber(document->analysis, newName, &renamed, &refusal)) {
        *error = ResponseError{RequestFailed, refusal};
        return false;
    }
    json edits = json::array();
    for (const LineSpan& place : roomNumberPlaces(mapOutline(document->analysis), room)) {
        edits.push_back(json{{"range", rangeJson(*document, place, session->encoding)},
                             {"newText", std::to_string(renamed)}});
    }
    *result = json{{"changes", {{document->uri, edits}}}};
    return true;
}
