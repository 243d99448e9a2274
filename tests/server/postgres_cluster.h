// A throwaway PostgreSQL cluster for the catalog tests: initdb and pg_ctl from Debian's
// packages (run as the unprivileged user scripts/setup creates when the tests run as
// root), listening only on a Unix socket inside the build folder. Started on first use,
// stopped when the test program ends; a cluster left by a crashed run is stopped first.
#pragma once

#include <string>

namespace qvtest {

// A catalog URL on the test cluster with a schema of its own, empty.
std::string fresh_postgres_catalog();

}  // namespace qvtest
