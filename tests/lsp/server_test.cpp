// The language server driven through its byte streams in memory: the lifecycle, malformed frames
// and messages, the diagnostics of a pair with their ranges in both position encodings, edits,
// and each feature on a small scenario whose names hold accented letters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client.h"
#include "lsp/framing.h"
#include "support/case_name.h"

namespace scenario {
namespace {

using nlohmann::json;
using test_support::at;
using test_support::data_path;
using test_support::data_uri;
using test_support::lsp_client;
using test_support::PrintTo;

// The pair as the editor holds it (UTF-8); on the disk it is Windows-1252.
const std::string line_text =
    "[generale]\n"
    "lunghezza percorso,    5000\n"
    "progressiva chilometrica uno,    2000,    10000,    0\n"
    "[pendenze]\n"
    "pendenza,  0,   2\n"
    "[cartelli]\n"
    "indicatori_vmax,  3000,  75,  80,  85,  0,  75,  80,  85,  0\n"
    "[indicazioni]\n"
    "cartello_indicatore,  3500,   (Citt\u00e0)(Km 2)\n"
    "[fine]\n";
const std::string station_line =
    "stazione,    1000,  8,  200,  1, 0, 0,  3,1,0,  2,1,1,    1,  10, 0, 0, Citt\u00e0 Alta\n";
const std::string train_text =
    "[generale]\n"
    "numero vetture,    4\n"
    "orologio,    10 15 30\n"
    "[vel_limite]\n"
    "velocita,   0,    100\n"
    "[stazioni]\n" +
    station_line +
    "[segnali]\n"
    "segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 0\n"
    "[fine]\n";
// With a signal on the station's end cell (line 9) and a misspelt key (line 11).
const std::string faulty_train_text =
    "[generale]\n"
    "numero vetture,    4\n"
    "orologio,    10 15 30\n"
    "[vel_limite]\n"
    "velocita,   0,    100\n"
    "[stazioni]\n" +
    station_line +
    "[segnali]\n"
    "segnale,    1100,   2, 3, 1,  1, 0,    2,  2,1,1, 0\n"
    "segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 0\n"
    "segnlae,    4000,   2, 3, 1,  1, 0,    2,  2,1,1, 0\n"
    "[fine]\n";

// UTF-8 as Windows-1252, for the files on the disk (the fixtures use only these letters).
std::string cp1252(std::string text) {
  for (std::size_t at; (at = text.find("\u00e0")) != std::string::npos;)
    text.replace(at, 2, "\xe0");
  return text;
}

const std::string line_name = "Costa_linea.txt";
const std::string train_name = "Costa_T-.txt";

json range(int line, int start, int end) {
  return {{"start", {{"line", line}, {"character", start}}},
          {"end", {{"line", line}, {"character", end}}}};
}

// The diagnostics of a file with a code, as (code, range) pairs.
std::vector<std::pair<int, json>> coded(const json& published) {
  std::vector<std::pair<int, json>> out;
  for (const json& d : published["diagnostics"])
    if (d.contains("code")) out.emplace_back(d["code"].get<int>(), d["range"]);
  return out;
}

const json* find_diagnostic(const json& published, int code) {
  for (const json& d : published["diagnostics"])
    if (d.value("code", 0) == code) return &d;
  return nullptr;
}

// ---- lifecycle

TEST(LspLifecycle, InitializeShutdownAndExit) {
  lsp_client client;
  const json early = client.request("textDocument/hover", at(data_uri(line_name), 0, 0));
  EXPECT_EQ(early["error"]["code"], -32002);

  const json init = client.initialize();
  EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-16");
  EXPECT_EQ(init["result"]["capabilities"]["textDocumentSync"]["change"], 2);
  EXPECT_EQ(client.request("initialize", json::object())["error"]["code"], -32600);
  EXPECT_EQ(client.request("workspace/symbol", json::object())["error"]["code"], -32601);

  EXPECT_TRUE(client.request("shutdown", nullptr)["result"].is_null());
  EXPECT_EQ(client.request("textDocument/hover", at(data_uri(line_name), 0, 0))["error"]["code"],
            -32600);
  EXPECT_FALSE(client.server().finished());
  client.notify("exit", nullptr);
  EXPECT_TRUE(client.server().finished());
  EXPECT_EQ(client.server().exit_status(), 0);
}

TEST(LspLifecycle, ExitWithoutShutdownEndsWithStatusOne) {
  lsp_client client;
  client.initialize();
  client.notify("exit", nullptr);
  EXPECT_TRUE(client.server().finished());
  EXPECT_EQ(client.server().exit_status(), 1);
}

TEST(LspLifecycle, UtfEightWhenTheClientOffersIt) {
  lsp_client client;
  const json init = client.initialize({{"general", {{"positionEncodings", {"utf-16", "utf-8"}}}}});
  EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], "utf-8");
}

// ---- malformed frames and messages: each gets its error, and the server goes on

struct malformed_case {
  const char* what;
  std::string bytes;
  std::vector<int> errors;
};

std::string frame(const std::string& body) {
  return lsp::framed(body);
}

const malformed_case malformed_cases[] = {
    {"body that is not JSON", frame("{\"jsonrpc\": \"2.0\", \"id\": 1,"), {-32700}},
    {"header without Content-Length", "Content-Type: application/json\r\n\r\n", {-32600}},
    {"Content-Length that is no number", "Content-Length: twelve\r\n\r\n", {-32600}},
    {"bytes that are no header", "hello there\r\n\r\n", {-32700}},
    {"garbage glued before a header", "xyzContent-Length: 2\r\n\r\n{}", {-32700, -32600}},
    {"batch", frame("[{\"jsonrpc\": \"2.0\", \"id\": 1, \"method\": \"shutdown\"}]"), {-32600}},
    {"number", frame("42"), {-32600}},
    {"without jsonrpc", frame("{\"id\": 3, \"method\": \"shutdown\"}"), {-32600}},
    {"object as id",
     frame("{\"jsonrpc\": \"2.0\", \"id\": {}, \"method\": \"shutdown\"}"),
     {-32600}},
    {"unknown method",
     frame("{\"jsonrpc\": \"2.0\", \"id\": 9, \"method\": \"nonsense\"}"),
     {-32601}},
    {"position that is no number",
     frame("{\"jsonrpc\": \"2.0\", \"id\": 5, \"method\": \"textDocument/hover\", \"params\": "
           "{\"textDocument\": {\"uri\": \"file:///a\"}, \"position\": {\"line\": \"x\", "
           "\"character\": 0}}}"),
     {-32602}},
    {"hover without a document",
     frame("{\"jsonrpc\": \"2.0\", \"id\": 6, \"method\": \"textDocument/hover\", \"params\": {}}"),
     {-32602}},
    {"message longer than the server reads",
     "Content-Length: 5000\r\n\r\n" + std::string(5000, '{'),
     {-32600}},
};

class LspMalformed : public ::testing::TestWithParam<malformed_case> {};

TEST_P(LspMalformed, GetsAnErrorAndTheServerGoesOn) {
  lsp::server_options options = lsp_client::test_options();
  options.largest_message = 4096;
  lsp_client client({}, options);
  client.initialize();
  client.send_raw(GetParam().bytes);
  std::vector<int> errors;
  for (const json& m : client.messages()) {
    ASSERT_TRUE(m.contains("error")) << m.dump();
    errors.push_back(m["error"]["code"].get<int>());
    EXPECT_TRUE(m["error"]["message"].is_string());
  }
  EXPECT_EQ(errors, GetParam().errors);
  // A notification with bad parameters is dropped without a word.
  client.notify("textDocument/didOpen", {{"textDocument", 7}});
  EXPECT_TRUE(client.messages().empty());
  EXPECT_TRUE(client.request("shutdown", nullptr)["result"].is_null());
}

INSTANTIATE_TEST_SUITE_P(Frames, LspMalformed, ::testing::ValuesIn(malformed_cases),
                         test_support::name_from_what{});

TEST(LspFraming, MessagesThatArriveByteByByte) {
  lsp_client client;
  const std::string bytes =
      frame(R"({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})") + "\r\n" +
      frame(R"({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})");
  for (char ch : bytes) client.send_raw(std::string_view(&ch, 1));
  const std::vector<json> answers = client.messages();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_TRUE(answers[0]["result"].contains("capabilities"));
  EXPECT_EQ(answers[1]["id"], 2);
}

// ---- diagnostics

class LspPair : public ::testing::Test {
 protected:
  LspPair()
      : client({{data_path(line_name), cp1252(line_text)},
                {data_path(train_name), cp1252(faulty_train_text)}}) {}

  lsp_client client;
  const std::string line = data_uri(line_name);
  const std::string train = data_uri(train_name);
};

TEST_F(LspPair, DiagnosticsOfBothFilesOnTheirFields) {
  client.initialize();
  client.open(train, faulty_train_text, 7);
  std::map<std::string, json> published = client.published();
  ASSERT_EQ(published.size(), 2u);
  // The line description comes from the disk: no version, and nothing to say.
  EXPECT_FALSE(published[line].contains("version"));
  EXPECT_TRUE(coded(published[line]).empty());

  const json& t = published[train];
  EXPECT_EQ(t["version"], 7);
  const std::vector<std::pair<int, json>> expected = {
      {16, range(8, 12, 16)},  // the signal's position field
      {16, range(8, 12, 16)},  // the note that what follows may follow from it
      {201, range(10, 0, 7)},  // the misspelt key field
  };
  EXPECT_EQ(coded(t), expected);
  const json* clash = find_diagnostic(t, 16);
  ASSERT_NE(clash, nullptr);
  EXPECT_EQ((*clash)["severity"], 1);
  EXPECT_EQ((*clash)["codeDescription"]["href"], "file:///doc/codes.md#code-16");
  EXPECT_NE((*clash)["message"].get<std::string>().find("placed by line 7 of the train scenario"),
            std::string::npos);
  EXPECT_EQ((*find_diagnostic(t, 201))["severity"], 2);
}

TEST_F(LspPair, DefinitionFromPlacedByLineToTheEntry) {
  client.initialize();
  client.open(train, faulty_train_text);
  client.published();
  const json r = client.request("textDocument/definition", at(train, 8, 13));
  ASSERT_TRUE(r["result"].is_array()) << r.dump();
  ASSERT_EQ(r["result"].size(), 1u);
  EXPECT_EQ(r["result"][0]["uri"], train);
  EXPECT_EQ(r["result"][0]["range"], range(6, 13, 17));  // the station's position field
  EXPECT_TRUE(client.request("textDocument/definition", at(train, 1, 2))["result"].is_null());
}

TEST_F(LspPair, OpenDocumentsTakePrecedenceOverTheDisk) {
  client.initialize();
  client.open(train, train_text, 3);  // the fault on the disk is mended in the editor
  client.open(line, line_text, 4);
  std::map<std::string, json> published = client.published();
  EXPECT_EQ(published[train]["version"], 3);
  EXPECT_EQ(published[line]["version"], 4);
  EXPECT_TRUE(coded(published[train]).empty());

  // Closed, the train scenario is read from the disk again, faults and all.
  client.notify("textDocument/didClose", {{"textDocument", {{"uri", train}}}});
  published = client.published();
  ASSERT_TRUE(published.count(train));
  EXPECT_FALSE(published[train].contains("version"));
  EXPECT_EQ(coded(published[train]).size(), 3u);

  // With the last document closed, no file keeps diagnostics.
  client.notify("textDocument/didClose", {{"textDocument", {{"uri", line}}}});
  published = client.published();
  for (const std::string& uri : {line, train}) {
    ASSERT_TRUE(published.count(uri)) << uri;
    EXPECT_TRUE(published[uri]["diagnostics"].empty());
  }
}

TEST(LspPartner, TheChoiceAmongSeveralIsSaid) {
  lsp_client client({{data_path("R_B-.txt"), "[generale]\r\n[fine]\r\n"},
                     {data_path("R_A-.txt"), "[generale]\r\n[fine]\r\n"},
                     {data_path("Other_C-.txt"), "[generale]\r\n[fine]\r\n"}});
  client.initialize();
  const std::string uri = data_uri("R_linea.txt");
  client.open(uri, "[generale]\nlunghezza percorso, 1000\n[curve]\n[fine]\n");
  std::map<std::string, json> published = client.published();
  EXPECT_TRUE(published.count(data_uri("R_A-.txt")));
  EXPECT_FALSE(published.count(data_uri("R_B-.txt")));
  ASSERT_EQ(published[uri]["diagnostics"].size(), 1u);
  const json& note = published[uri]["diagnostics"][0];
  EXPECT_EQ(note["severity"], 3);
  EXPECT_FALSE(note.contains("code"));
  EXPECT_NE(note["message"].get<std::string>().find("2 train scenarios"), std::string::npos);
  EXPECT_NE(note["message"].get<std::string>().find("\"R_A-.txt\""), std::string::npos);

  // An open one is chosen before the disk's.
  client.open(data_uri("R_B-.txt"), "[generale]\n[fine]\n");
  published = client.published();
  EXPECT_NE(published[uri]["diagnostics"][0]["message"].get<std::string>().find("\"R_B-.txt\""),
            std::string::npos);
}

TEST(LspPartner, ALoneFileIsStillChecked) {
  lsp_client client;
  client.initialize();
  const std::string line = data_uri("Solo_linea.txt");
  client.open(line, "[generale]\nlunghezza percorso, 1000\n[curve]\npendnza, 0, 2\n[fine]\n");
  client.open(data_uri("Altro_T-.txt"), "[generale]\nsegnlae, 500, 0\nsabbia, 10, 5\n[fine]\n");
  std::map<std::string, json> published = client.published();
  EXPECT_EQ(coded(published[line]), (std::vector<std::pair<int, json>>{{201, range(3, 0, 7)}}));
  // A train scenario with no line description is compiled on the longest route.
  const json& alone = published[data_uri("Altro_T-.txt")];
  EXPECT_EQ(coded(alone),
            (std::vector<std::pair<int, json>>{{201, range(1, 0, 7)}, {208, range(2, 12, 13)}}));
}

// ---- positions: characters, not bytes, counted in the negotiated encoding

struct encoding_case {
  const char* what;
  json capabilities;
  int emoji_start, emoji_end;  // U+1F600 in the board text
  int surplus;                 // the value too many after it
};

const encoding_case encoding_cases[] = {
    {"UTF-16 by default", json::object(), 36, 38, 47},
    {"UTF-8 when offered", {{"general", {{"positionEncodings", {"utf-8"}}}}}, 37, 41, 50},
};

class LspEncoding : public ::testing::TestWithParam<encoding_case> {};

TEST_P(LspEncoding, ColumnsCountCharacters) {
  lsp_client client;
  client.initialize(GetParam().capabilities);
  std::string text = line_text;
  const std::string board = "(Citt\u00e0)(Km 2)";
  text.replace(text.find(board), board.size(), "(Citt\u00e0\U0001F600)(Km 2), 7");
  const std::string uri = data_uri(line_name);
  client.open(uri, text);
  const json published = client.published()[uri];
  const std::vector<std::pair<int, json>> expected = {
      {207, range(8, GetParam().emoji_start, GetParam().emoji_end)},
      {208, range(8, GetParam().surplus, GetParam().surplus + 1)},
  };
  EXPECT_EQ(coded(published), expected);
  // The position of a request is read in the same units: the value "7" is hovered at its column,
  // and the blank before it is nothing.
  const json surplus =
      client.request("textDocument/hover", at(uri, 8, GetParam().surplus))["result"];
  EXPECT_NE(surplus["contents"]["value"].get<std::string>().find("code 208: "), std::string::npos);
  EXPECT_TRUE(
      client.request("textDocument/hover", at(uri, 8, GetParam().surplus - 1))["result"].is_null());
  const json key = client.request("textDocument/hover", at(uri, 8, 3))["result"];
  EXPECT_NE(key["contents"]["value"].get<std::string>().find("cartello_indicatore"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Positions, LspEncoding, ::testing::ValuesIn(encoding_cases),
                         test_support::name_from_what{});

TEST(LspEncodingFault, ACharacterWithoutAWindows1252FormIsAnError) {
  lsp_client client;
  client.initialize();
  const std::string uri = data_uri(line_name);
  std::string text = line_text;
  text.replace(text.find("(Km 2)"), 6, "(\u2192 Pisa)");
  client.open(uri, text);
  const json published = client.published()[uri];
  const json* fault = find_diagnostic(published, 207);
  ASSERT_NE(fault, nullptr);
  EXPECT_EQ((*fault)["severity"], 1);
  EXPECT_EQ((*fault)["range"], range(8, 38, 39));
  EXPECT_NE((*fault)["message"].get<std::string>().find("U+2192"), std::string::npos);
}

// ---- edits

TEST_F(LspPair, IncrementalEditsInUtf16Units) {
  client.initialize();
  client.open(train, faulty_train_text, 1);
  client.published();
  // "segnlae" becomes "segnale" on line 10, and "Città Alta" (line 6, after "à") "Città Bassa".
  const int name =
      static_cast<int>(
          std::string(
              "stazione,    1000,  8,  200,  1, 0, 0,  3,1,0,  2,1,1,    1,  10, 0, 0, Citt\u00e0 ")
              .size()) -
      1;
  client.notify("textDocument/didChange",
                {{"textDocument", {{"uri", train}, {"version", 2}}},
                 {"contentChanges",
                  {{{"range", range(10, 4, 7)}, {"text", "ale"}},
                   {{"range", range(6, name, name + 4)}, {"text", "Bassa"}}}}});
  const std::map<std::string, json> published = client.published();
  EXPECT_EQ(published.at(train)["version"], 2);
  EXPECT_EQ(coded(published.at(train)),
            (std::vector<std::pair<int, json>>{{16, range(8, 12, 16)}}));
  const json symbols =
      client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", train}}}});
  EXPECT_NE(symbols.dump().find("Citt\u00e0 Bassa"), std::string::npos) << symbols.dump();
}

// Changes that come together are analysed once, at the last version.
TEST_F(LspPair, TheLastVersionWins) {
  std::vector<std::string> chunks;
  auto message = [](const json& m) { return frame(m.dump()); };
  chunks.push_back(message(
      {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}}));
  chunks.push_back(message(
      {{"jsonrpc", "2.0"},
       {"method", "textDocument/didOpen"},
       {"params",
        {{"textDocument", {{"uri", train}, {"version", 1}, {"text", faulty_train_text}}}}}}));
  std::string burst;
  for (int v = 2; v <= 4; ++v)
    burst +=
        message({{"jsonrpc", "2.0"},
                 {"method", "textDocument/didChange"},
                 {"params",
                  {{"textDocument", {{"uri", train}, {"version", v}}},
                   {"contentChanges", {{{"text", v == 4 ? train_text : faulty_train_text}}}}}}});
  chunks.push_back(burst.substr(0, burst.size() / 2));
  chunks.push_back(burst.substr(burst.size() / 2));
  chunks.push_back(message({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}}) +
                   message({{"jsonrpc", "2.0"}, {"method", "exit"}}));

  std::size_t next = 0;
  // The open is analysed before the changes come; their two pieces arrive one after the other,
  // and nothing more comes before shutdown.
  const lsp::byte_input input{
      [&](char* data, std::size_t size) -> std::size_t {
        if (next == chunks.size()) return 0;
        const std::string& c = chunks[next++];
        EXPECT_LE(c.size(), size);
        std::copy(c.begin(), c.end(), data);
        return c.size();
      },
      [&](std::chrono::milliseconds) { return next != 2 && next != 4 && next < chunks.size(); }};
  EXPECT_EQ(lsp::serve(client.server(), input, std::chrono::milliseconds(0)), 0);
  std::vector<json> versions;
  for (const json& m : client.messages())
    if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == train)
      versions.push_back(m["params"]["version"]);
  EXPECT_EQ(versions, (std::vector<json>{1, 4}));
}

// ---- features

TEST_F(LspPair, HoverOnKeysValuesSectionsAndCodes) {
  client.initialize();
  client.open(train, faulty_train_text);
  client.published();
  auto hover_text = [&](int line, int character) {
    const json r = client.request("textDocument/hover", at(train, line, character))["result"];
    return r.is_null() ? std::string() : r["contents"]["value"].get<std::string>();
  };
  const std::string key = hover_text(9, 2);
  EXPECT_NE(key.find("segnale, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo"),
            std::string::npos)
      << key;
  EXPECT_NE(key.find("First light of the left head."), std::string::npos);

  // The station's position: its value, its kilometre (the count starts at 10000 m at 2000 m) and
  // the cell the station end went into.
  const std::string position = hover_text(6, 14);
  EXPECT_NE(position.find("posizione (m): value 1 of stazione"), std::string::npos) << position;
  EXPECT_NE(position.find("At km 1.000 of the route's kilometre count."), std::string::npos)
      << position;
  EXPECT_NE(
      position.find("cell 23 (metres 1150 to 1199): station end: station 1 \"Citt\u00e0 Alta\""),
      std::string::npos)
      << position;

  // On the clashing signal's position, the explanation of its code too.
  const std::string clash = hover_text(8, 13);
  EXPECT_NE(clash.find("code 16: "), std::string::npos) << clash;
  EXPECT_NE(clash.find("Corrected:"), std::string::npos);

  EXPECT_NE(hover_text(7, 3).find("[segnali] (train scenario)"), std::string::npos);
  EXPECT_EQ(hover_text(1, 17), "");  // blanks between the fields
  EXPECT_TRUE(
      client.request("textDocument/hover", at(data_uri("Nowhere_linea.txt"), 0, 0))["result"]
          .is_null());
}

TEST_F(LspPair, CompletionOffersTheKeysOfTheFileAndSection) {
  client.initialize(
      {{"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}});
  std::string text = faulty_train_text;
  text.replace(text.find("segnlae"), 7, "seg");
  client.open(train, text);
  client.open(line, line_text + "\n");
  auto labels = [&](const std::string& uri, int l, int c) {
    std::map<std::string, json> items;
    const json r = client.request("textDocument/completion", at(uri, l, c));
    for (const json& item : r["result"]) items[item["label"].get<std::string>()] = item;
    return items;
  };
  std::map<std::string, json> items = labels(train, 10, 3);
  ASSERT_TRUE(items.count("segnale"));
  EXPECT_EQ(items["segnale"]["sortText"], "0 segnale");  // the key of [segnali] first
  EXPECT_EQ(items["stazione"]["sortText"], "1 stazione");
  EXPECT_FALSE(items.count("pendenza"));  // a key of the other file
  // The line goes on after the key: only the key is replaced.
  EXPECT_EQ(items["segnale"]["textEdit"],
            json({{"range", range(10, 0, 3)}, {"newText", "segnale"}}));

  // A key of its own on an empty line comes with a place for each value.
  items = labels(line, 10, 0);
  EXPECT_EQ(items["montagna"]["textEdit"]["newText"],
            "montagna, ${1:inizio}, ${2:fine}, ${3:tipo}");
  EXPECT_EQ(items["montagna"]["insertTextFormat"], 2);
  EXPECT_FALSE(items.count("lunghezza percorso"));  // the general section is over
  EXPECT_TRUE(labels(line, 2, 0).count("lunghezza percorso"));
  EXPECT_FALSE(labels(line, 2, 0).count("montagna"));
  EXPECT_TRUE(labels(line, 0, 0).count("[generale]"));
  EXPECT_EQ(labels(line, 0, 0).size(), 1u);
  EXPECT_TRUE(labels(line, 1, 25).empty());  // among the values
}

TEST_F(LspPair, CompletionOfHeaders) {
  client.initialize();
  std::string text = train_text;
  text.replace(text.find("[segnali]"), 9, "[se");
  client.open(train, text);
  std::map<std::string, json> items;
  const json r = client.request("textDocument/completion", at(train, 7, 3));
  for (const json& item : r["result"]) items[item["label"].get<std::string>()] = item;
  ASSERT_TRUE(items.count("[segnali]"));
  EXPECT_EQ(items["[segnali]"]["textEdit"]["range"], range(7, 0, 3));
  EXPECT_FALSE(items.count("[cartelli]"));  // a section of the line description
}

struct signature_case {
  const char* what;
  int line, character;
  json active;  // null: no signature help
};

const signature_case signature_cases[] = {
    {"on the key", 8, 3, nullptr},
    {"on the position", 8, 13, 0},
    {"after the comma of the position", 8, 17, 1},
    {"on the third light of the right head", 8, 47, 9},
    {"on the last value", 8, 50, 10},
    {"clock values separated by blanks", 2, 16, 1},
    {"on a header", 7, 3, nullptr},
};

class LspSignature : public ::testing::TestWithParam<signature_case> {};

TEST_P(LspSignature, TheValueUnderTheCursor) {
  lsp_client client;
  client.initialize();
  const std::string uri = data_uri(train_name);
  client.open(uri, faulty_train_text);
  const json r = client.request("textDocument/signatureHelp",
                                at(uri, GetParam().line, GetParam().character))["result"];
  if (GetParam().active.is_null()) {
    EXPECT_TRUE(r.is_null()) << r.dump();
    return;
  }
  ASSERT_TRUE(r.is_object());
  EXPECT_EQ(r["activeParameter"], GetParam().active);
  const json& signature = r["signatures"][0];
  const std::string label = signature["label"];
  const json& parameter = signature["parameters"][GetParam().active.get<int>()]["label"];
  const std::string name =
      label.substr(parameter[0], parameter[1].get<std::size_t>() - parameter[0].get<std::size_t>());
  if (GetParam().line == 8) {
    EXPECT_EQ(label, "segnale, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo");
    EXPECT_EQ(name, std::vector<std::string>({"posizione", "sx", "s1", "s2", "s3", "rapp", "dx",
                                              "d1", "d2", "d3",
                                              "tempo"})[GetParam().active.get<std::size_t>()]);
  } else {
    EXPECT_EQ(name, "minuti");
  }
}

INSTANTIATE_TEST_SUITE_P(Entries, LspSignature, ::testing::ValuesIn(signature_cases),
                         test_support::name_from_what{});

struct action_case {
  const char* what;
  std::string text;
  json at;  // the range asked about
  std::string title;
  json edit;
};

const action_case action_cases[] = {
    {"misspelt key",
     faulty_train_text,
     range(10, 2, 2),
     "Change 'segnlae' to 'segnale'",
     {{"range", range(10, 0, 7)}, {"newText", "segnale"}}},
    {"decimal comma",
     std::string(faulty_train_text)
         .replace(faulty_train_text.find("velocita,   0,    100"), 21, "velocita,   0,    100,5"),
     range(4, 18, 18),
     "Write 100,5 as 100.5",
     {{"range", range(4, 21, 22)}, {"newText", "."}}},
    {"missing values",
     std::string(faulty_train_text)
         .replace(faulty_train_text.find("2,1,1, 0\nsegnale,    2500"), 8, "2,1"),
     range(8, 0, 50),
     "Give the missing values d3 and tempo a place (numbers as 0)",
     {{"range", range(8, 46, 46)}, {"newText", ", 0, 0"}}},
    {"byte order mark",
     "\ufeff" + faulty_train_text,
     range(0, 0, 0),
     "Remove the byte order mark",
     {{"range", range(0, 0, 1)}, {"newText", ""}}},
};

class LspCodeAction : public ::testing::TestWithParam<action_case> {};

TEST_P(LspCodeAction, QuickFixForTheDiagnostic) {
  lsp_client client(lsp_client::disk{{data_path(line_name), cp1252(line_text)}});
  client.initialize();
  const std::string uri = data_uri(train_name);
  client.open(uri, GetParam().text);
  client.published();
  const json r =
      client.request("textDocument/codeAction", {{"textDocument", {{"uri", uri}}},
                                                 {"range", GetParam().at},
                                                 {"context", {{"diagnostics", json::array()}}}});
  ASSERT_TRUE(r["result"].is_array()) << r.dump();
  const json* found = nullptr;
  for (const json& a : r["result"])
    if (a["title"] == GetParam().title) found = &a;
  ASSERT_NE(found, nullptr) << r.dump();
  EXPECT_EQ((*found)["kind"], "quickfix");
  EXPECT_EQ((*found)["edit"]["changes"][uri], json::array({GetParam().edit}));
  EXPECT_EQ((*found)["diagnostics"].size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Fixes, LspCodeAction, ::testing::ValuesIn(action_cases),
                         test_support::name_from_what{});

TEST(LspSymbols, SectionsStationsSignalsAndBoards) {
  lsp_client client;
  client.initialize(
      {{"textDocument", {{"documentSymbol", {{"hierarchicalDocumentSymbolSupport", true}}}}}});
  const std::string train = data_uri(train_name);
  const std::string line = data_uri(line_name);
  client.open(train, train_text);
  client.open(line, line_text);
  const json symbols =
      client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", train}}}})["result"];
  std::vector<std::string> sections;
  for (const json& s : symbols) sections.push_back(s["name"]);
  EXPECT_EQ(sections, (std::vector<std::string>{"[generale]", "[vel_limite]", "[stazioni]",
                                                "[segnali]", "[fine]"}));
  const json& station = symbols[2]["children"][0];
  EXPECT_EQ(station["name"], "Citt\u00e0 Alta");
  EXPECT_EQ(station["detail"], "stazione at 1000 m");
  EXPECT_EQ(symbols[2]["range"]["end"]["line"], 6);
  EXPECT_EQ(symbols[3]["children"][0]["name"], "segnale at 2500 m");
  EXPECT_EQ(symbols[3]["children"][0]["selectionRange"], range(8, 12, 16));

  const json boards =
      client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", line}}}})["result"];
  std::vector<std::string> names;
  for (const json& s : boards)
    for (const json& child : s.value("children", json::array())) names.push_back(child["name"]);
  EXPECT_EQ(names, (std::vector<std::string>{"indicatori_vmax at 3000 m", "(Citt\u00e0)(Km 2)"}));
}

TEST(LspSymbols, FlatForAClientWithoutNesting) {
  lsp_client client;
  client.initialize();
  const std::string train = data_uri(train_name);
  client.open(train, train_text);
  const json symbols =
      client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", train}}}})["result"];
  ASSERT_EQ(symbols.size(), 7u);  // five sections, a station and a signal
  EXPECT_EQ(symbols[3]["name"], "Citt\u00e0 Alta");
  EXPECT_EQ(symbols[3]["containerName"], "[stazioni]");
  EXPECT_EQ(symbols[3]["location"]["uri"], train);
}

// ---- robustness

TEST(LspRobust, UnknownDocumentsGetEmptyAnswers) {
  lsp_client client;
  client.initialize();
  const std::string uri = data_uri("Unknown_linea.txt");
  EXPECT_TRUE(client.request("textDocument/hover", at(uri, 0, 0))["result"].is_null());
  EXPECT_EQ(client.request("textDocument/completion", at(uri, 0, 0))["result"], json::array());
  EXPECT_TRUE(client.request("textDocument/signatureHelp", at(uri, 0, 0))["result"].is_null());
  EXPECT_TRUE(client.request("textDocument/definition", at(uri, 0, 0))["result"].is_null());
  EXPECT_EQ(
      client.request("textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}})["result"],
      json::array());
  // A change or close of a document never opened changes nothing.
  client.notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                           {"contentChanges", {{{"text", "x"}}}}});
  client.notify("textDocument/didClose", {{"textDocument", {{"uri", uri}}}});
  EXPECT_TRUE(client.published().empty());
  // A document of another kind is answered, but has no diagnostics.
  client.open("file:///data/notes.md", "# notes\n");
  EXPECT_TRUE(client.published().empty());
  EXPECT_TRUE(
      client.request("textDocument/hover", at("file:///data/notes.md", 0, 1))["result"].is_null());
}

TEST(LspRobust, AHugeDocumentIsToldAndNotAnalysed) {
  lsp::server_options options = lsp_client::test_options();
  options.largest_document = 100;
  lsp_client client({}, options);
  client.initialize();
  const std::string uri = data_uri(train_name);
  client.open(uri, train_text);
  const json published = client.published()[uri];
  ASSERT_EQ(published["diagnostics"].size(), 1u);
  EXPECT_EQ(published["diagnostics"][0]["severity"], 1);
  EXPECT_NE(
      published["diagnostics"][0]["message"].get<std::string>().find("more than the 100 bytes"),
      std::string::npos);
  EXPECT_TRUE(client.request("textDocument/hover", at(uri, 8, 13))["result"].is_null());
  // Cut below the limit, it is analysed again.
  client.notify("textDocument/didChange",
                {{"textDocument", {{"uri", uri}, {"version", 2}}},
                 {"contentChanges", {{{"text", "[generale]\nsabbia, 10\n[fine]\n"}}}}});
  EXPECT_EQ(coded(client.published()[uri]).size(), 0u);
}

}  // namespace
}  // namespace scenario
