#include "lsp_server.h"

#include <cstring>

#include "lsp_answers.h"
#include "lsp_framing.h"
#include "lsp_session.h"

namespace {

// The protocol's MessageType for window/logMessage.
constexpr int LOG_WARNING = 2;
constexpr int SYNC_INCREMENTAL = 2;

struct RequestMethod {
    const char* name;
    RequestHandler answer;
};

const RequestMethod REQUESTS[] = {
    {"textDocument/hover", answerHover},
    {"textDocument/definition", answerDefinition},
    {"textDocument/references", answerReferences},
    {"textDocument/documentSymbol", answerDocumentSymbols},
    {"workspace/symbol", answerWorkspaceSymbols},
    {"textDocument/completion", answerCompletion},
    {"textDocument/prepareRename", answerPrepareRename},
    {"textDocument/rename", answerRename},
    {"textDocument/codeAction", answerCodeActions},
};

void respond(Session* session, const json& id, const json& result) {
    sendMessage(session, json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

void respondError(Session* session, const json& id, const ResponseError& error) {
    sendMessage(session, json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", error.code}, {"message", error.message}}}});
}

void notify(Session* session, const char* method, const json& params) {
    sendMessage(session, json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

// A notification the server cannot act on gets no answer; the client's log
// is told why.
void logProblem(Session* session, const std::string& text) {
    notify(session, "window/logMessage", json{{"type", LOG_WARNING}, {"message", "kaland-check: " + text}});
}

// Checks and publishes the diagnostics of every map changed since they were
// last published. Runs before a request is answered and before the server
// waits for input, so that a burst of changes is checked once.
void publishChanged(void* context) {
    Session* session = static_cast<Session*>(context);
    for (auto& entry : session->documents) {
        Document& document = entry.second;
        if (document.published) continue;
        analyseDocument(&document, session->machineMemory);
        notify(session, "textDocument/publishDiagnostics", diagnosticsParams(document, session->encoding));
        document.published = true;
    }
}

bool offersUtf8(const json& params) {
    const json* capabilities = memberOf(params, "capabilities");
    const json* general = capabilities != nullptr ? memberOf(*capabilities, "general") : nullptr;
    const json* encodings = general != nullptr ? memberOf(*general, "positionEncodings") : nullptr;
    if (encodings == nullptr || !encodings->is_array()) return false;
    for (const json& encoding : *encodings) {
        if (encoding.is_string() && encoding.get_ref<const std::string&>() == "utf-8") return true;
    }
    return false;
}

bool preparesRename(const json& params) {
    const json* capabilities = memberOf(params, "capabilities");
    const json* text = capabilities != nullptr ? memberOf(*capabilities, "textDocument") : nullptr;
    const json* rename = text != nullptr ? memberOf(*text, "rename") : nullptr;
    const json* prepare = rename != nullptr ? memberOf(*rename, "prepareSupport") : nullptr;
    return prepare != nullptr && prepare->is_boolean() && prepare->get<bool>();
}

json initializeResult(Session* session, const json& params) {
    session->encoding = offersUtf8(params) ? Utf8Positions : Utf16Positions;
    session->clientPreparesRename = preparesRename(params);
    json rename = session->clientPreparesRename ? json{{"prepareProvider", true}} : json(true);
    json capabilities{
        {"positionEncoding", session->encoding == Utf8Positions ? "utf-8" : "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", SYNC_INCREMENTAL}}},
        {"hoverProvider", true},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"documentSymbolProvider", true},
        {"workspaceSymbolProvider", true},
        {"completionProvider", {{"triggerCharacters", {"#", " "}}}},
        {"renameProvider", rename},
        {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
    };
    return json{{"capabilities", capabilities}, {"serverInfo", {{"name", "kaland-check"}, {"version", session->version}}}};
}

void handleRequest(Session* session, const json& id, const std::string& method, const json& params) {
    publishChanged(session);
    if (method == "initialize") {
        if (session->stage != AwaitingInitialize) {
            respondError(session, id, ResponseError{InvalidRequest, "initialize may be sent only once"});
        } else if (!params.is_object()) {
            respondError(session, id, ResponseError{InvalidParams, "initialize needs its params as an object"});
        } else {
            respond(session, id, initializeResult(session, params));
            session->stage = Serving;
        }
        return;
    }
    if (session->stage == AwaitingInitialize) {
        respondError(session, id, ResponseError{ServerNotInitialized, "the server waits for initialize first"});
        return;
    }
    if (session->stage == ShutDown) {
        respondError(session, id, ResponseError{InvalidRequest, "the server is shut down: only exit is taken"});
        return;
    }
    if (method == "shutdown") {
        session->stage = ShutDown;
        respond(session, id, nullptr);
        return;
    }
    for (const RequestMethod& request : REQUESTS) {
        if (method != request.name) continue;
        json result;
        ResponseError error;
        if (!params.is_object()) {
            respondError(session, id, ResponseError{InvalidParams, method + " needs its params as an object"});
        } else if (request.answer(session, params, &result, &error)) {
            respond(session, id, result);
        } else {
            respondError(session, id, error);
        }
        return;
    }
    respondError(session, id, ResponseError{MethodNotFound, "unknown method: " + method});
}

bool readVersion(const json& document, std::int64_t* version) {
    const json* member = memberOf(document, "version");
    if (member == nullptr || !member->is_number_integer()) return false;
    *version = member->get<std::int64_t>();
    return true;
}

void openDocument(Session* session, json& params) {
    json* item = params.contains("textDocument") ? &params["textDocument"] : nullptr;
    json* text = item != nullptr && item->contains("text") ? &(*item)["text"] : nullptr;
    Document document;
    if (item == nullptr || !readString(*item, "uri", &document.uri) || text == nullptr || !text->is_string()) {
        logProblem(session, "textDocument/didOpen without textDocument.uri and .text: ignored");
        return;
    }
    readVersion(*item, &document.version);
    // The text is moved out of the message: a map may be megabytes.
    replaceText(&document, std::move(text->get_ref<std::string&>()));
    std::string uri = document.uri;
    session->documents[uri] = std::move(document);
}

// One entry of contentChanges: the whole text, or a range and its new text.
bool applyChange(Session* session, Document* document, const json& change) {
    std::string text;
    if (!readString(change, "text", &text)) return false;
    const json* range = memberOf(change, "range");
    if (range == nullptr) {
        replaceText(document, std::move(text));
        return true;
    }
    Position start{};
    Position end{};
    if (!readRange(*range, &start, &end)) return false;
    editText(document, start, end, text, session->encoding);
    return true;
}

void changeDocument(Session* session, const json& params) {
    std::string uri;
    const json* changes = memberOf(params, "contentChanges");
    if (!readDocumentUri(params, &uri) || changes == nullptr || !changes->is_array()) {
        logProblem(session, "textDocument/didChange without textDocument.uri and contentChanges: ignored");
        return;
    }
    auto found = session->documents.find(uri);
    if (found == session->documents.end()) {
        logProblem(session, "textDocument/didChange for a document that is not open: " + uri);
        return;
    }
    Document& document = found->second;
    readVersion(*memberOf(params, "textDocument"), &document.version);
    for (const json& change : *changes) {
        if (!applyChange(session, &document, change)) {
            logProblem(session, "textDocument/didChange with a change that has no text or a bad range: the rest of "
                                "the changes are ignored");
            return;
        }
    }
}

void closeDocument(Session* session, const json& params) {
    std::string uri;
    if (!readDocumentUri(params, &uri) || session->documents.erase(uri) == 0) return;
    notify(session, "textDocument/publishDiagnostics", json{{"uri", uri}, {"diagnostics", json::array()}});
}

// Returns false when the client said exit.
bool handleNotification(Session* session, const std::string& method, json& params) {
    if (method == "exit") return false;
    // Before initialize every notification is dropped, and after shutdown
    // nothing more is done.
    if (session->stage != Serving) return true;
    if (method == "textDocument/didOpen") openDocument(session, params);
    if (method == "textDocument/didChange") changeDocument(session, params);
    if (method == "textDocument/didClose") closeDocument(session, params);
    // Anything else ($/cancelRequest, $/setTrace, initialized, ...) needs
    // nothing from this server.
    return true;
}

// Handles one message's body; returns false when the client said exit.
bool handleBody(Session* session, const std::string& body) {
    json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        respondError(session, nullptr, ResponseError{ParseError, "the message is not JSON (or not UTF-8)"});
        return true;
    }
    const json* id = memberOf(message, "id");
    const json* method = memberOf(message, "method");
    bool usableId = id != nullptr && (id->is_number_integer() || id->is_string());
    json answerId = usableId ? *id : json(nullptr);
    std::string version;
    if (!message.is_object() || !readString(message, "jsonrpc", &version) || version != "2.0") {
        respondError(session, answerId, ResponseError{InvalidRequest, "a message is a JSON object with \"jsonrpc\": \"2.0\""});
        return true;
    }
    if (method == nullptr && id != nullptr &&
        (memberOf(message, "result") != nullptr || memberOf(message, "error") != nullptr)) {
        return true;  // an answer to a request: this server sends none
    }
    if (method == nullptr || !method->is_string() || (id != nullptr && !usableId)) {
        respondError(session, answerId,
                     ResponseError{InvalidRequest, "a request has a method (a string) and an id (a number or a string)"});
        return true;
    }
    // The params are taken out of the message, not copied: a map's text
    // may be megabytes.
    auto given = message.find("params");
    json params = given != message.end() ? std::move(*given) : json::object();
    const std::string& name = method->get_ref<const std::string&>();
    if (id == nullptr) return handleNotification(session, name, params);
    handleRequest(session, answerId, name, params);
    return true;
}

}  // namespace

void sendMessage(Session* session, const json& message) {
    if (session->outputGone) return;
    std::string framed = framedMessage(writeJson(message));
    if (!session->streams.write(session->streams.context, framed.data(), framed.size())) session->outputGone = true;
}

Document* requestedDocument(Session* session, const json& params, ResponseError* error) {
    std::string uri;
    if (!readDocumentUri(params, &uri)) {
        *error = ResponseError{InvalidParams, "the request needs textDocument.uri"};
        return nullptr;
    }
    auto found = session->documents.find(uri);
    if (found == session->documents.end()) {
        *error = ResponseError{RequestFailed, "no open document has the URI " + uri};
        return nullptr;
    }
    analyseDocument(&found->second, session->machineMemory);
    return &found->second;
}

bool requestedPlace(Session* session, const json& params, Document** document, std::uint64_t* line,
                    std::size_t* offset, ResponseError* error) {
    Position position{};
    const json* given = memberOf(params, "position");
    if (given == nullptr || !readPosition(*given, &position)) {
        *error = ResponseError{InvalidParams, "the request needs a position: {\"line\": N, \"character\": N}"};
        return false;
    }
    *document = requestedDocument(session, params, error);
    if (*document == nullptr) return false;
    linePlaceOf(**document, position, session->encoding, line, offset);
    return true;
}

int serveLanguageProtocol(const LspStreams& streams, std::uint64_t machineMemory, const char* version) {
    Session session;
    session.streams = streams;
    session.machineMemory = machineMemory;
    session.version = version;
    MessageReader reader;
    reader.streams = streams;
    reader.waiting = publishChanged;
    reader.waitingContext = &session;
    while (!session.outputGone) {
        std::string body;
        std::string problem;
        ReadOutcome outcome = readMessage(&reader, &body, &problem);
        if (outcome == InputEnded) break;
        if (outcome == BadFrame) {
            respondError(&session, nullptr, ResponseError{ParseError, problem});
            continue;
        }
        if (!handleBody(&session, body)) break;
    }
    return session.stage == ShutDown ? 0 : 1;
}
