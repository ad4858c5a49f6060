// `korvan serve`: the browser front end and its HTTP API over the engine in
// memory (docs/http-api.md, docs/front-end.md).
//
// The page, its script and its style sheet are compiled into the program,
// and so are the shipped examples: no request path is ever mapped to a file,
// and nothing a request names is read or written. Requests are bounded in
// body size, iterations per problem and runs at once; requests that carry
// an Origin other than the server's own are refused.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace korvan::serve {

struct ServeOptions {
  std::string host = "127.0.0.1";  // loopback unless asked otherwise
  int port = 8080;                 // 0: any free port (see Server::port)
  std::size_t max_body = 4u << 20;  // bytes of one request body
  int max_runs = 2;                // analyses at once; more wait, then 503
  int run_wait_seconds = 20;       // how long a run waits for its turn
  int max_iterations = 2000;       // bound on the iterations of a problem
  int threads = 8;                 // connections served at once
  int read_timeout_seconds = 10;   // to receive a request
};

// True when `host` names the loopback interface (127.x.y.z, ::1, localhost).
bool is_loopback(const std::string& host);

class Server {
 public:
  explicit Server(ServeOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the listening socket; false (with `error` set) when it cannot.
  bool bind(std::string& error);
  // The bound port (after bind).
  int port() const;
  // The page's address: "http://127.0.0.1:8080/".
  std::string url() const;
  // Serves until stop(); returns false when serving failed.
  bool serve();
  // Ends serve() from another thread (or a signal watcher).
  void stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace korvan::serve
