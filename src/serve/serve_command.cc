#include "serve/serve_command.h"

#include <spawn.h>
#include <sys/wait.h>

#include <ostream>
#include <string>

extern char** environ;

namespace korvan::serve {

namespace {

// Hands the address to the desktop's opener (xdg-open), without a shell.
void open_in_browser(const std::string& url, std::ostream& err) {
  std::string program = "xdg-open";
  std::string argument = url;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
    err << "korvan serve: cannot open a browser (no xdg-open); open " << url
        << " yourself\n";
  }
  // The opener returns at once; it is reaped when the server ends.
}

}  // namespace

int serve_command(const ServeOptions& options, bool open_browser,
                  std::ostream& out, std::ostream& err) {
  if (!is_loopback(options.host)) {
    err << "korvan serve: warning: listening on " << options.host
        << ", not the loopback: anyone who can reach this machine can run "
           "analyses on it\n";
  }
  Server server(options);
  std::string error;
  if (!server.bind(error)) {
    err << "korvan serve: " << error << "\n";
    return 4;
  }
  out << "korvan serve: the front end is at " << server.url()
      << " (Ctrl-C ends it)" << std::endl;
  if (open_browser) open_in_browser(server.url(), err);
  return server.serve() ? 0 : 4;
}

}  // namespace korvan::serve
