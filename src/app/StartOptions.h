#pragma once

#include <optional>
#include <vector>

#include "platform/Files.h"

namespace vimbrel {

// What the command line asks of the program, each switch with "/" or "-" and
// in any letter case, in any order; other arguments are ignored.
struct StartOptions {
  // "/tour": a tour that starts by itself and ends the program when done.
  bool unattended_tour = false;
  // "/browser=edge", "/browser=chrome" or "/browser=<path of its program>":
  // the tour's browser instead of Internet Explorer. The last one counts.
  std::optional<Path> browser;
  // "/wait=N": the page display time field's text for this start, as if
  // typed. The last one counts.
  std::optional<Path> page_time;
};

// `arguments` without the program's own path, as CommandLineToArgvW splits
// them.
StartOptions ReadStartOptions(const std::vector<Path>& arguments);

}  // namespace vimbrel
