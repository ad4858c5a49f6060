// The `korvan serve` command: starts the server, says where the page is,
// optionally opens it in the desktop's browser, and serves until stopped.
#pragma once

#include <iosfwd>

#include "serve/server.h"

namespace korvan::serve {

// The exit status: 0 when serving ended normally, 4 when the port could not
// be bound.
int serve_command(const ServeOptions& options, bool open_browser,
                  std::ostream& out, std::ostream& err);

}  // namespace korvan::serve
