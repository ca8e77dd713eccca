// tavso-host's command line: demo, job new, run <step>, show, log.
#pragma once

namespace tavso::host {

// Exit codes: 0 the step succeeded for every volume, 2 for some, 1 otherwise (or an error).
int runCommandLine(int argc, char** argv);

}  // namespace tavso::host
