// `korvan serve`: routes, limits and the origin check.
#include "serve/server.h"

#include <httplib.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <semaphore>
#include <sstream>
#include <string_view>

#include "korvan/engine.h"
#include "korvan/project.h"
#include "korvan/version.h"
#include "present/html_report.h"
#include "present/json_results.h"
#include "present/summary.h"
#include "serve/embedded.h"

namespace korvan::serve {

namespace {

using nlohmann::json;

constexpr auto kReplace = json::error_handler_t::replace;

// Text as a JSON string; bytes that are not UTF-8 become U+FFFD.
std::string json_text(std::string_view text) {
  return json(std::string(text)).dump(-1, ' ', false, kReplace);
}

void send_json(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, kReplace), "application/json");
}

void send_error(httplib::Response& res, int status, std::string_view message) {
  send_json(res, status, json{{"error", std::string(message)}});
}

json diagnostic_json(const Diagnostic& d) {
  return json{{"path", d.path},         {"message", d.message},
              {"file", d.file},         {"line", d.line},
              {"record", d.record},     {"field", d.field},
              {"field_name", d.field_name}};
}

json diagnostics_json(const std::vector<Diagnostic>& list) {
  json out = json::array();
  for (const Diagnostic& d : list) out.push_back(diagnostic_json(d));
  return out;
}

// A project is a JSON text: its first character that is not white space
// opens an object.
bool looks_like_project(std::string_view body) {
  const auto at = body.find_first_not_of(" \t\r\n");
  return at != std::string_view::npos && body[at] == '{';
}

// The name a request gives its input, for the report header and the
// diagnostics only: a plain file name of letters, digits, '.', '-' and '_',
// never a path. Anything else takes the default.
std::string shown_name(const httplib::Request& req, bool project) {
  const std::string fallback = project ? "model.json" : "input.dat";
  if (!req.has_param("name")) return fallback;
  const std::string name = req.get_param_value("name");
  if (name.empty() || name.size() > 64 || name.front() == '.') return fallback;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '.' || c == '-' ||
                       c == '_';
    if (!plain) return fallback;
  }
  // The kind of input follows the body, not the name.
  if (is_project_name(name) != project) return fallback;
  return name;
}

std::string_view content_type(std::string_view name) {
  const auto ends = [&](std::string_view ext) {
    return name.size() >= ext.size() &&
           name.substr(name.size() - ext.size()) == ext;
  };
  if (ends(".html")) return "text/html; charset=utf-8";
  if (ends(".css")) return "text/css; charset=utf-8";
  if (ends(".js") || ends(".mjs")) return "text/javascript; charset=utf-8";
  if (ends(".svg")) return "image/svg+xml";
  if (ends(".png")) return "image/png";
  return "application/octet-stream";
}

const EmbeddedFile* find_file(std::span<const EmbeddedFile> files,
                              std::string_view name) {
  for (const EmbeddedFile& f : files) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

// The example's stem ("cantilever_sheet_pile") and its title record.
std::string example_title(std::string_view data) {
  const auto end = data.find_first_of("\r\n");
  std::string_view line = data.substr(0, end);
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  return std::string(line.substr(0, 70));
}

std::string stem_of(std::string_view name) {
  const auto dot = name.rfind('.');
  return std::string(name.substr(0, dot));
}

}  // namespace

bool is_loopback(const std::string& host) {
  return host == "localhost" || host == "::1" || host == "[::1]" ||
         host.rfind("127.", 0) == 0;
}

struct Server::State {
  explicit State(ServeOptions o)
      : options(std::move(o)),
        runs(std::max(1, std::min(options.max_runs, 64))) {}

  ServeOptions options;
  httplib::Server http;
  std::counting_semaphore<64> runs;
  int port = 0;

  bool host_allowed(const std::string& host_header) const;
  bool origin_allowed(const httplib::Request& req) const;
  void routes();
  void run(const httplib::Request& req, httplib::Response& res);
  void convert(const httplib::Request& req, httplib::Response& res);
  void validate(const httplib::Request& req, httplib::Response& res);
};

// On loopback the Host header must name the loopback at our port: a page
// of another site whose name was made to point at 127.0.0.1 (DNS
// rebinding) sends its own name and is refused.
bool Server::State::host_allowed(const std::string& host_header) const {
  if (!is_loopback(options.host)) return true;
  const std::string p = ":" + std::to_string(port);
  return host_header == "127.0.0.1" + p || host_header == "localhost" + p ||
         host_header == "[::1]" + p || host_header == options.host + p;
}

// A request that names an origin must come from the page this server gave:
// "http://" and the Host it was sent to. Browsers name the origin of every
// cross-origin request, and of every POST.
bool Server::State::origin_allowed(const httplib::Request& req) const {
  const std::string host = req.get_header_value("Host");
  if (!host_allowed(host)) return false;
  if (req.get_header_value("Sec-Fetch-Site") == "cross-site") return false;
  if (!req.has_header("Origin")) return true;
  return req.get_header_value("Origin") == "http://" + host;
}

void Server::State::run(const httplib::Request& req, httplib::Response& res) {
  if (req.body.empty()) {
    send_error(res, 400, "the request has no input: send the text of an "
                         "input data file or a project (JSON)");
    return;
  }
  const bool project = looks_like_project(req.body);
  if (project && !json::accept(req.body)) {
    send_error(res, 400, "the project is not JSON");
    return;
  }
  if (!runs.try_acquire_for(std::chrono::seconds(options.run_wait_seconds))) {
    res.set_header("Retry-After", "5");
    send_error(res, 503, "the server is busy with other runs; try again");
    return;
  }
  struct Release {
    std::counting_semaphore<64>& s;
    ~Release() { s.release(); }
  } release{runs};

  RunOptions run_options;
  run_options.input_name = shown_name(req, project);
  run_options.max_iterations = options.max_iterations;
  std::ostringstream messages;
  run_options.diagnostics = &messages;
  Engine engine;
  const RunText out = engine.run_text(req.body, run_options);

  report::ResultsSource source;
  source.input_name = run_options.input_name;
  source.version = KORVAN_VERSION;
  std::ostringstream results, summary, html;
  try {
    report::write_json_results(results, out.result, source);
    report::write_summary(summary, out.result, source);
    report::write_html_report(html, out.result, source);
  } catch (const std::exception& e) {
    send_json(res, 422,
              json{{"error", std::string("the results cannot be shown: ") +
                                 e.what()},
                   {"report", out.report},
                   {"iteration", out.iteration}});
    return;
  }
  std::string body = "{\"results\":";
  body += results.str();
  body += ",\"report\":" + json_text(out.report);
  body += ",\"plot\":" + json_text(out.plot);
  body += ",\"iteration\":" + json_text(out.iteration);
  body += ",\"summary\":" + json_text(summary.str());
  body += ",\"html\":" + json_text(html.str());
  body += ",\"messages\":" + json_text(messages.str());
  body += ",\"max_iterations\":" + std::to_string(options.max_iterations);
  body += "}";
  res.status = 200;
  res.set_content(std::move(body), "application/json");
}

void Server::State::convert(const httplib::Request& req,
                            httplib::Response& res) {
  const bool project = looks_like_project(req.body);
  std::string to = req.has_param("to") ? req.get_param_value("to")
                                       : (project ? "dat" : "json");
  if (to != "json" && to != "dat") {
    send_error(res, 400, "to= takes json or dat");
    return;
  }
  if ((to == "dat") != project) {
    send_error(res, 400, to == "dat"
                             ? "to=dat converts a project (JSON object)"
                             : "to=json converts the text of an input data file");
    return;
  }
  if (project && !json::accept(req.body)) {
    send_error(res, 400, "the project is not JSON");
    return;
  }
  const std::string name = shown_name(req, project);
  const Conversion c = project ? project_to_data(req.body, name)
                               : data_to_project(req.body, name);
  if (!c.ok()) {
    send_json(res, 422, json{{"error", c.message},
                             {"diagnostics", diagnostics_json(c.diagnostics)}});
    return;
  }
  if (project) {
    send_json(res, 200, json{{"data", c.text}});
    return;
  }
  json converted = json::parse(c.text, nullptr, false);
  if (converted.is_discarded()) {
    send_error(res, 500, "the conversion gave no JSON");
    return;
  }
  send_json(res, 200, json{{"project", std::move(converted)}});
}

void Server::State::validate(const httplib::Request& req,
                             httplib::Response& res) {
  if (!looks_like_project(req.body) || !json::accept(req.body)) {
    send_error(res, 400, "send a project: a JSON object");
    return;
  }
  const auto list = validate_project(req.body, shown_name(req, true));
  send_json(res, 200, json{{"ok", list.empty()},
                           {"diagnostics", diagnostics_json(list)}});
}

void Server::State::routes() {
  http.set_pre_routing_handler(
      [this](const httplib::Request& req, httplib::Response& res) {
        res.set_header("X-Content-Type-Options", "nosniff");
        res.set_header("Cache-Control", "no-store");
        if (!origin_allowed(req)) {
          send_error(res, 403, "cross-origin requests are refused");
          return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
      });
  http.set_error_handler([](const httplib::Request& req,
                            httplib::Response& res) {
    if (!res.body.empty()) return;
    // The HTTP library holds form-encoded bodies (curl's default for
    // --data-binary) to 8 KiB whatever the size limit.
    if (res.status == 413 &&
        req.get_header_value("Content-Type")
                .rfind("application/x-www-form-urlencoded", 0) == 0) {
      send_error(res, 413,
                 "a form-encoded body is limited to 8 KiB: send the input "
                 "as text/plain or application/json");
      return;
    }
    const char* what = res.status == 404   ? "no such resource"
                       : res.status == 413 ? "the request body is too large"
                       : res.status == 405 ? "method not allowed"
                                           : "bad request";
    send_error(res, res.status, what);
  });
  http.set_exception_handler([](const httplib::Request&,
                                httplib::Response& res, std::exception_ptr) {
    send_error(res, 500, "the request could not be served");
  });

  http.Post("/api/run", [this](const auto& req, auto& res) { run(req, res); });
  http.Post("/api/convert",
            [this](const auto& req, auto& res) { convert(req, res); });
  http.Post("/api/validate",
            [this](const auto& req, auto& res) { validate(req, res); });
  http.Get("/api/examples", [](const auto&, auto& res) {
    json list = json::array();
    for (const EmbeddedFile& f : example_files()) {
      list.push_back(
          json{{"name", stem_of(f.name)}, {"title", example_title(f.bytes)}});
    }
    send_json(res, 200, list);
  });
  http.Get(R"(/api/examples/([A-Za-z0-9_]+))",
           [](const httplib::Request& req, httplib::Response& res) {
             const std::string name = req.matches[1].str();
             const EmbeddedFile* f = find_file(example_files(), name + ".dat");
             if (f == nullptr) {
               send_error(res, 404, "no example named \"" + name + "\"");
               return;
             }
             send_json(res, 200, json{{"name", name},
                                      {"title", example_title(f->bytes)},
                                      {"data", std::string(f->bytes)}});
           });
  http.Get(R"(/api/version)", [](const auto&, auto& res) {
    send_json(res, 200, json{{"name", "korvan"}, {"version", KORVAN_VERSION}});
  });
  // The page: the compiled-in files, looked up by name.
  http.Get(R"(/([A-Za-z0-9_./-]*))", [](const httplib::Request& req,
                                        httplib::Response& res) {
    std::string name = req.matches[1].str();
    if (name.empty()) name = "index.html";
    const EmbeddedFile* f = find_file(web_files(), name);
    if (f == nullptr) {
      send_error(res, 404, "no such resource");
      return;
    }
    if (name == "index.html") {
      res.set_header("Content-Security-Policy",
                     "default-src 'self'; img-src 'self' data: blob:; "
                     "style-src 'self' 'unsafe-inline'; connect-src 'self'; "
                     "frame-ancestors 'none'; base-uri 'none'; "
                     "form-action 'none'");
      res.set_header("X-Frame-Options", "DENY");
    }
    res.set_content(std::string(f->bytes), std::string(content_type(name)));
  });
}

Server::Server(ServeOptions options)
    : state_(std::make_unique<State>(std::move(options))) {
  const int threads = std::max(2, state_->options.threads);
  state_->http.new_task_queue = [threads] {
    return new httplib::ThreadPool(static_cast<size_t>(threads));
  };
  state_->http.set_payload_max_length(state_->options.max_body);
  state_->http.set_read_timeout(state_->options.read_timeout_seconds, 0);
  state_->http.set_write_timeout(30, 0);
  state_->http.set_keep_alive_max_count(100);
  // SO_REUSEADDR only: the library's default adds SO_REUSEPORT, with which
  // a second server (of anyone on the machine) binds the same port and
  // takes a share of the connections.
  state_->http.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  state_->routes();
}

Server::~Server() { stop(); }

bool Server::bind(std::string& error) {
  const std::string& host = state_->options.host;
  if (state_->options.port == 0) {
    state_->port = state_->http.bind_to_any_port(host);
    if (state_->port <= 0) {
      error = "cannot listen on " + host;
      return false;
    }
    return true;
  }
  if (!state_->http.bind_to_port(host, state_->options.port)) {
    error = "cannot listen on " + host + ":" +
            std::to_string(state_->options.port) +
            " (in use? choose another with --port)";
    return false;
  }
  state_->port = state_->options.port;
  return true;
}

int Server::port() const { return state_->port; }

std::string Server::url() const {
  const std::string& h = state_->options.host;
  const bool v6 = h.find(':') != std::string::npos && h.front() != '[';
  return "http://" + (v6 ? "[" + h + "]" : h) + ":" +
         std::to_string(state_->port) + "/";
}

bool Server::serve() { return state_->http.listen_after_bind(); }

void Server::stop() {
  if (state_->http.is_running()) state_->http.stop();
}

}  // namespace korvan::serve
