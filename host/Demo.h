// tavso-host demo: two simulated arrays in this process, LUNs presented to a simulated backup
// host, and a job over them through the life cycle the plug-in implements.
#pragma once

#include <ostream>
#include <string>

namespace tavso::host {

struct DemoOptions {
    std::string pluginPath;  // empty: the build's own
    std::string workDir;     // empty: a fresh temporary folder
};

int runDemo(const DemoOptions& options, std::ostream& out, std::ostream& err);

}  // namespace tavso::host
