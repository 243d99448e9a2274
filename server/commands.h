// The subcommands of quorvane-server; each returns the process exit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qvserver {

int run_import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_serve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run_demo_catalog(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace qvserver
