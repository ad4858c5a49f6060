// The HTTP API of `korvan serve`, through a real socket on the loopback.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "korvan/engine.h"
#include "korvan/project.h"
#include "present/json_results.h"
#include "serve/embedded.h"
#include "serve/server.h"

namespace {

using nlohmann::json;
using korvan::serve::Server;
using korvan::serve::ServeOptions;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string example(const std::string& name) {
  return read_file(std::string(KORVAN_EXAMPLES) + "/" + name + ".dat");
}

// A server on a free port of the loopback, serving from its own thread.
class Running {
 public:
  explicit Running(ServeOptions options = {}) : server_([&] {
      options.host = "127.0.0.1";
      options.port = 0;
      return options;
    }()) {
    std::string error;
    if (!server_.bind(error)) throw std::runtime_error(error);
    thread_ = std::thread([this] { server_.serve(); });
    // Served once it answers (stop() before serving starts would not end it).
    if (!client().Get("/api/version")) throw std::runtime_error("no answer");
  }
  ~Running() {
    server_.stop();
    thread_.join();
  }
  int port() const { return server_.port(); }
  httplib::Client client() const {
    httplib::Client c("127.0.0.1", server_.port());
    c.set_read_timeout(60, 0);
    return c;
  }
  std::string origin() const {
    return "http://127.0.0.1:" + std::to_string(server_.port());
  }

 private:
  Server server_;
  std::thread thread_;
};

json body_of(const httplib::Result& r) {
  EXPECT_TRUE(r) << "no answer";
  if (!r) return {};
  EXPECT_EQ(r->get_header_value("Content-Type"), "application/json");
  return json::parse(r->body);
}

TEST(ServeApi, ExamplesAreListedAndServedFromTheProgram) {
  Running s;
  auto c = s.client();
  const json list = body_of(c.Get("/api/examples"));
  ASSERT_TRUE(list.is_array());
  bool found = false;
  for (const auto& e : list) {
    if (e["name"] == "cantilever_sheet_pile") {
      found = true;
      EXPECT_EQ(e["title"],
                "CANTILEVERED SHEET-PILE WALL, 10 FT RETAINED HEIGHT, ENGLISH "
                "UNITS");
    }
  }
  EXPECT_TRUE(found);
  const json one = body_of(c.Get("/api/examples/staged_excavation"));
  EXPECT_EQ(one["data"], example("staged_excavation"));

  // Unknown names and anything that looks like a path find nothing.
  for (const char* path :
       {"/api/examples/no_such_wall", "/api/examples/..%2F..%2Fetc%2Fpasswd",
        "/api/examples/../../etc/passwd", "/../../etc/passwd",
        "/%2e%2e/%2e%2e/etc/passwd", "/etc/passwd", "/CMakeLists.txt"}) {
    auto r = c.Get(path);
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 404) << path;
    EXPECT_EQ(r->body.find("root:"), std::string::npos) << path;
    EXPECT_TRUE(json::parse(r->body).contains("error")) << path;
  }
}

TEST(ServeApi, RunAnswersTheResultsOfTheEngineAndItsTexts) {
  Running s;
  auto c = s.client();
  const std::string input = example("sand_cantilever_water_metric");
  auto raw = c.Post("/api/run?name=sand.dat", input, "text/plain");
  const json r = body_of(raw);
  ASSERT_EQ(r["results"]["status"], "completed");
  EXPECT_EQ(r["results"]["input"], "sand.dat");

  // The same numbers as the engine's own run of the same text.
  korvan::Engine engine;
  korvan::RunOptions options;
  options.input_name = "sand.dat";
  const korvan::RunText direct = engine.run_text(input, options);
  std::ostringstream doc;
  korvan::report::write_json_results(doc, direct.result, {"sand.dat", KORVAN_VERSION, ""});
  const json expected = json::parse(doc.str());
  // The document leads the answer, as `korvan run --json` writes it.
  EXPECT_TRUE(raw->body.starts_with("{\"results\":" + doc.str() + ",\"report\":\""));
  EXPECT_EQ(r["results"]["problems"][0]["summary"],
            expected["problems"][0]["summary"]);
  EXPECT_EQ(r["plot"], direct.plot);
  EXPECT_NE(r["report"].get<std::string>().find("CANTILEVER SHEET PILE, 10 M"),
            std::string::npos);
  EXPECT_NE(r["html"].get<std::string>().find("<svg"), std::string::npos);
  EXPECT_FALSE(r["summary"].get<std::string>().empty());

  // A name that is a path, or names the other kind of input, is not used.
  for (const char* name : {"..%2Fetc%2Fpasswd", "a%20b.dat", "wall.json", ".dat"}) {
    const json n = body_of(c.Post(std::string("/api/run?name=") + name, input,
                                  "text/plain"));
    EXPECT_EQ(n["results"]["input"], "input.dat") << name;
  }

  // An input error is a result, not a failed request.
  const json bad = body_of(c.Post("/api/run", "TITLE\n1 0 1 1 0 0 1 x\n", "text/plain"));
  EXPECT_EQ(bad["results"]["status"], "input error");
  EXPECT_NE(bad["results"]["message"].get<std::string>().find("input.dat:2"),
            std::string::npos);
}

TEST(ServeApi, RequestsAreBounded) {
  ServeOptions o;
  o.max_body = 4096;
  o.max_iterations = 2;
  Running s(o);
  auto c = s.client();
  // Too large a body: refused before it is read whole.
  auto big = c.Post("/api/run", std::string(5000, ' '), "text/plain");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->status, 413);
  EXPECT_TRUE(json::parse(big->body).contains("error"));
  // A form-encoded body is held to the library's own limit, and says so.
  auto form = c.Post("/api/run", std::string(3000, ' '), "application/x-www-form-urlencoded");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->status, 200);
  ServeOptions large;
  Running l(large);
  auto big_form = l.client().Post("/api/run", example("sand_cantilever_water_metric") + std::string(9000, ' '),
                                  "application/x-www-form-urlencoded");
  ASSERT_TRUE(big_form);
  EXPECT_EQ(big_form->status, 413);
  EXPECT_NE(json::parse(big_form->body)["error"].get<std::string>().find("text/plain"),
            std::string::npos);
  // The iterations of every problem are bounded: this wall needs 6.
  const json r = body_of(c.Post("/api/run", example("sand_cantilever_water_metric"), "text/plain"));
  EXPECT_EQ(r["results"]["status"], "not closed");
  EXPECT_LE(r["results"]["problems"][0]["iterations"].get<int>(), 2);
  EXPECT_EQ(r["max_iterations"], 2);
}

// Runs beyond the bound wait for a slot, then are turned away.
TEST(ServeApi, RunsAtOnceAreBounded) {
  ServeOptions o;
  o.max_runs = 1;
  o.run_wait_seconds = 0;
  Running s(o);
  // Many problems in one file: a run of a second or so.
  std::string one = example("sand_cantilever_water_metric");
  const auto last = one.find_last_not_of("\n 0");
  one = one.substr(0, last + 1) + "\n";
  std::string many;
  for (int k = 0; k < 150; ++k) many += one + (k < 149 ? "1\n" : "0\n");
  std::vector<int> statuses(3);
  std::vector<std::thread> clients;
  for (int k = 0; k < 3; ++k) {
    clients.emplace_back([&, k] {
      auto r = s.client().Post("/api/run", many, "text/plain");
      statuses[k] = r ? r->status : -1;
      if (r && r->status == 503) {
        EXPECT_EQ(r->get_header_value("Retry-After"), "5");
        EXPECT_TRUE(json::parse(r->body).contains("error"));
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_GE(std::count(statuses.begin(), statuses.end(), 200), 1);
  EXPECT_GE(std::count(statuses.begin(), statuses.end(), 503), 1);
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 200) +
                std::count(statuses.begin(), statuses.end(), 503),
            3);
  // A run after them is served.
  EXPECT_EQ(s.client().Post("/api/run", example("hand_check_cantilever"), "text/plain")->status, 200);
}

TEST(ServeApi, BadRequestsGetAJsonError) {
  Running s;
  auto c = s.client();
  struct Case {
    const char* method;
    const char* path;
    std::string body;
    int status;
  };
  const Case cases[] = {
      {"POST", "/api/run", "", 400},
      {"POST", "/api/run", "{ not json", 400},
      {"POST", "/api/validate", "TITLE\n", 400},
      {"POST", "/api/validate", "[1, 2", 400},
      {"POST", "/api/convert?to=xml", "TITLE\n", 400},
      {"POST", "/api/convert?to=dat", "TITLE\n", 400},
      {"POST", "/api/convert?to=json", "{}", 400},
      {"GET", "/api/run", "", 404},
      {"PUT", "/api/run", "x", 404},
      {"DELETE", "/api/examples/cantilever_sheet_pile", "", 404},
  };
  for (const Case& k : cases) {
    httplib::Result r = std::string(k.method) == "GET"    ? c.Get(k.path)
                        : std::string(k.method) == "PUT"  ? c.Put(k.path, k.body, "text/plain")
                        : std::string(k.method) == "DELETE" ? c.Delete(k.path)
                                                          : c.Post(k.path, k.body, "text/plain");
    ASSERT_TRUE(r) << k.method << " " << k.path;
    EXPECT_EQ(r->status, k.status) << k.method << " " << k.path;
    EXPECT_EQ(r->get_header_value("Content-Type"), "application/json")
        << k.method << " " << k.path;
    EXPECT_TRUE(json::parse(r->body).contains("error")) << k.path;
  }
  // The server still serves.
  EXPECT_EQ(c.Get("/api/examples")->status, 200);
}

TEST(ServeApi, CrossOriginRequestsAreRefused) {
  Running s;
  auto c = s.client();
  const std::string input = example("hand_check_cantilever");
  // From another site, by a name pointed at the loopback, or marked
  // cross-site by the browser.
  const httplib::Headers refused[] = {
      {{"Origin", "http://evil.example"}},
      {{"Origin", "null"}},
      {{"Origin", "http://127.0.0.1:1"}},
      {{"Host", "evil.example:80"}},
      {{"Host", "evil.example"}, {"Origin", "http://evil.example"}},
      {{"Sec-Fetch-Site", "cross-site"}},
  };
  for (const auto& headers : refused) {
    auto r = c.Post("/api/run", headers, input, "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 403) << headers.begin()->second;
    EXPECT_FALSE(r->has_header("Access-Control-Allow-Origin"));
    auto g = c.Get("/api/examples", headers);
    EXPECT_EQ(g->status, 403);
  }
  // The page's own origin, and requests that name none, are served; no
  // response opens itself to other origins.
  auto own = c.Post("/api/run", {{"Origin", s.origin()}}, input, "text/plain");
  ASSERT_TRUE(own);
  EXPECT_EQ(own->status, 200);
  EXPECT_FALSE(own->has_header("Access-Control-Allow-Origin"));
  auto pre = c.Options("/api/run", {{"Origin", "http://evil.example"},
                                    {"Access-Control-Request-Method", "POST"}});
  ASSERT_TRUE(pre);
  EXPECT_GE(pre->status, 400);
  EXPECT_FALSE(pre->has_header("Access-Control-Allow-Origin"));
}

TEST(ServeApi, ThePageIsServedFromTheProgramAndLoadsNothingFromElsewhere) {
  Running s;
  auto c = s.client();
  auto page = c.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'self'"),
            std::string::npos);
  auto script = c.Get("/js/app.js");
  ASSERT_TRUE(script);
  EXPECT_EQ(script->status, 200);
  EXPECT_EQ(script->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  // Every file of the page: no address outside the page (the SVG name
  // space is a name, not a request).
  const std::regex absolute(R"(https?://([^/"'\s)]+))");
  const std::regex protocol_relative(R"([("'=]\s*//[A-Za-z0-9])");
  for (const auto& f : korvan::serve::web_files()) {
    const std::string text(f.bytes);
    for (std::sregex_iterator m(text.begin(), text.end(), absolute), end;
         m != end; ++m) {
      EXPECT_EQ((*m)[1].str(), "www.w3.org") << f.name << ": " << m->str();
    }
    EXPECT_FALSE(std::regex_search(text, protocol_relative)) << f.name;
    EXPECT_EQ(c.Get("/" + std::string(f.name))->status, 200) << f.name;
  }
}

TEST(ServeApi, APortInUseIsRefusedWithAMessage) {
  Running s;
  ServeOptions o;
  o.port = s.port();
  Server second(o);
  std::string error;
  EXPECT_FALSE(second.bind(error));
  EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(s.port())),
            std::string::npos);
  EXPECT_TRUE(korvan::serve::is_loopback("127.0.0.1"));
  EXPECT_TRUE(korvan::serve::is_loopback("::1"));
  EXPECT_TRUE(korvan::serve::is_loopback("localhost"));
  EXPECT_FALSE(korvan::serve::is_loopback("0.0.0.0"));
  EXPECT_FALSE(korvan::serve::is_loopback("192.168.1.2"));
}

TEST(ServeApi, ConvertAndValidateAProject) {
  Running s;
  auto c = s.client();
  const std::string data = example("sand_cantilever_water_metric");
  const json conv = body_of(c.Post("/api/convert", data, "text/plain"));
  ASSERT_TRUE(conv.contains("project"));
  json project = conv["project"];
  EXPECT_EQ(project["problems"][0]["units"], "metric");
  const json back = body_of(c.Post("/api/convert", project.dump(), "application/json"));
  EXPECT_EQ(back["data"], korvan::project_to_data(project.dump()).text);

  const json ok = body_of(c.Post("/api/validate", project.dump(), "application/json"));
  EXPECT_EQ(ok["ok"], true);
  EXPECT_TRUE(ok["diagnostics"].empty());
  project["problems"][0]["soil"]["layers"][1]["at_top"]["friction_angle"] = "thirty";
  const json bad = body_of(c.Post("/api/validate", project.dump(), "application/json"));
  EXPECT_EQ(bad["ok"], false);
  ASSERT_FALSE(bad["diagnostics"].empty());
  EXPECT_EQ(bad["diagnostics"][0]["path"],
            "problems[0].soil.layers[1].at_top.friction_angle");

  // A project runs as its input data file does.
  const json a = body_of(c.Post("/api/run", conv["project"].dump(), "application/json"));
  const json b = body_of(c.Post("/api/run", data, "text/plain"));
  EXPECT_EQ(a["results"]["input"], "model.json");
  EXPECT_EQ(a["results"]["problems"][0]["summary"], b["results"]["problems"][0]["summary"]);

  // An input data file that does not read is refused with its diagnostic.
  auto refused = c.Post("/api/convert", "TITLE\n1 0 1 1 0 0 1 x\n", "text/plain");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 422);
  EXPECT_FALSE(json::parse(refused->body)["diagnostics"].empty());
}

}  // namespace
