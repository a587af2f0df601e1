#include "lsp_json.h"

const json* memberOf(const json& value, const char* name) {
    if (!value.is_object()) return nullptr;
    auto found = value.find(name);
    return found == value.end() ? nullptr : &*found;
}

bool readString(const json& value, const char* name, std::string* text) {
    const json* member = memberOf(value, name);
    if (member == nullptr || !member->is_string()) return false;
    *text = member->get_ref<const std::string&>();
    return true;
}

bool readCount(const json& value, const char* name, std::uint64_t* number) {
    const json* member = memberOf(value, name);
    if (member == nullptr || !member->is_number_unsigned()) {
        // A parsed 0 or positive whole number is unsigned; a negative one
        // is not, and neither is 1.5.
        return false;
    }
    *number = member->get<std::uint64_t>();
    return true;
}

bool readPosition(const json& value, Position* position) {
    return readCount(value, "line", &position->line) && readCount(value, "character", &position->character);
}

bool readRange(const json& value, Position* start, Position* end) {
    const json* from = memberOf(value, "start");
    const json* to = memberOf(value, "end");
    return from != nullptr && to != nullptr && readPosition(*from, start) && readPosition(*to, end);
}

bool readDocumentUri(const json& params, std::string* uri) {
    const json* document = memberOf(params, "textDocument");
    return document != nullptr && readString(*document, "uri", uri);
}

json positionJson(const Position& position) {
    return json{{"line", position.line}, {"character", position.character}};
}

json rangeJson(const Document& document, const LineSpan& span, PositionEncoding encoding) {
    return json{{"start", positionJson(positionOf(document, span.line, span.begin, encoding))},
                {"end", positionJson(positionOf(document, span.line, span.end, encoding))}};
}

json locationJson(const Document& document, const LineSpan& span, PositionEncoding encoding) {
    return json{{"uri", document.uri}, {"range", rangeJson(document, span, encoding)}};
}

std::string writeJson(const json& message) {
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}
