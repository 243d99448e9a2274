// quorvane-server: the reference driver server. Subcommands import, serve, demo-catalog.
#include <iostream>
#include <string>
#include <vector>

#include "catalog.h"
#include "command_line.h"
#include "commands.h"
#include "package_error.h"

namespace {

constexpr const char* kUsage =
    "usage: quorvane-server import [--catalog FILE|URL] [--store DIR] [--inf INF] PACKAGE...\n"
    "       quorvane-server serve [--catalog FILE|URL] [--store DIR] [--port N | --listen HOST:PORT]\n"
    "                             [--public-url URL] [--link-ttl SECONDS] [--link-key FILE]\n"
    "                             [--max-body-kb N] [--threads N] [--pace-kb-per-s N]\n"
    "                             [--offer-version A.B.C.D [--offer-readme TEXT]]\n"
    "                             [--tls-cert FILE --tls-key FILE]\n"
    "       quorvane-server demo-catalog [--catalog FILE|URL] [--store DIR] [--version A.B.C.D]\n"
    "                             [--date yyyy-MM-dd] [--ids-file FILE] HWID...\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::string command = args.front();
  args.erase(args.begin());
  try {
    if (command == "import") return qvserver::run_import(args, std::cout, std::cerr);
    if (command == "serve") return qvserver::run_serve(args, std::cout, std::cerr);
    if (command == "demo-catalog") return qvserver::run_demo_catalog(args, std::cout, std::cerr);
    std::cerr << "unknown command " << command << "\n" << kUsage;
    return 2;
  } catch (const qvserver::UsageError& error) {
    std::cerr << error.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "quorvane-server: " << error.what() << "\n";
    return 1;
  }
}
