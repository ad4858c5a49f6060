// korvan-serve: `korvan serve`, the browser front end over the engine in
// memory. A program of its own, started by `korvan serve`: the HTTP
// library it needs is a shared library, which the statically linked
// `korvan` does not load.
#include <CLI/CLI.hpp>

#include <charconv>
#include <climits>
#include <iostream>
#include <string>

#include "korvan/version.h"
#include "serve/serve_command.h"

namespace {
constexpr int kUsageError = 4;
}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"korvan " KORVAN_VERSION
               " serve: the browser front end on http://127.0.0.1:PORT/ "
               "(build a wall, run it, see every stage; docs/front-end.md)"};
  app.name("korvan serve");
  korvan::serve::ServeOptions options;
  bool open_browser = false;
  app.add_option("--port", options.port,
                 "port (default 8080; 0: any free port)")
      ->check(CLI::Range(0, 65535));
  app.add_option("--host", options.host,
                 "address to listen on (default 127.0.0.1; any other is "
                 "reachable from elsewhere: a warning is shown)");
  app.add_flag("--open", open_browser, "open the page in the desktop's browser");
  app.add_option("--max-iterations", options.max_iterations,
                 "bound on the iterations of every problem of a run "
                 "(default 2000)")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            long long n = 0;
            const char* end = text.data() + text.size();
            const auto [at, error] = std::from_chars(text.data(), end, n);
            if (error != std::errc() || at != end || n < 1 || n > INT_MAX) {
              return "--max-iterations must be a positive whole number, "
                     "not \"" +
                     text + "\"";
            }
            return {};
          },
          "N"));
  app.add_option("--max-runs", options.max_runs, "analyses at once (default 2)")
      ->check(CLI::Range(1, 64));
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsageError;
  }
  return korvan::serve::serve_command(options, open_browser, std::cout,
                                      std::cerr);
}
