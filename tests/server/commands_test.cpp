// The subcommands as an operator uses them: demo catalog, import with its report and exit
// code, and the usage errors.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalog.h"
#include "command_line.h"
#include "commands.h"
#include "scratch_folder.h"
#include "zip_writer.h"

using namespace qvserver;

TEST(Commands, DemoCatalogThenImportReportsEachPackage) {
  ScratchFolder folder("qv-server-test");
  std::string catalog = (folder / "c.db").string();
  std::string store = (folder / "store").string();
  std::ostringstream out, err;
  EXPECT_EQ(run_demo_catalog({"--catalog", catalog, "--store", store, "--version", "7.1.0.0", "PCI\\VEN_1&DEV_1",
                              "USB\\VID_2&PID_3"},
                             out, err),
            0)
      << err.str();
  EXPECT_NE(out.str().find("USB\\VID_2&PID_3: driver id 2 (7.1.0.0)"), std::string::npos) << out.str();
  {
    Catalog opened(catalog);
    ASSERT_EQ(opened.offers("usb\\vid_2&pid_3", "amd64", 10000).size(), 1u);
  }

  {
    std::ofstream evil(folder / "evil.zip", std::ios::binary);
    evil << make_zip({{"../evil.inf", "[Version]"}});
  }
  out.str("");
  err.str("");
  EXPECT_EQ(run_import({"--catalog", catalog, "--store", store, (folder / "evil.zip").string(),
                        (folder / "missing.zip").string()},
                       out, err),
            1);
  EXPECT_NE(err.str().find("escapes the package folder"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("no such file"), std::string::npos) << err.str();
}

TEST(Commands, UsageErrors) {
  std::ostringstream out, err;
  using Run = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
  struct Case {
    Run run;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {run_import, {}},
      {run_import, {"--inf", "a.inf", "one.msi", "two.msi"}},
      {run_import, {"--catalog"}},
      {run_serve, {"--bogus", "1"}},
      {run_serve, {"--port", "70000"}},
      {run_serve, {"--listen", "no-port"}},
      {run_serve, {"--tls-cert", "only-cert.pem"}},
      {run_serve, {"--catalog", "postgresql:///catalogs?host=/nowhere"}},  // replicas need a shared link key
      {run_serve, {"--link-key", "/nonexistent/link.key"}},
      {run_demo_catalog, {}},
  };
  for (const auto& c : cases) EXPECT_THROW(c.run(c.args, out, err), UsageError);
}
