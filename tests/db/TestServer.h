#pragma once

#include "database/PostgresAddress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

// The test suite's PostgreSQL server, named by PN_TEST_POSTGRES (scripts/test.sh starts a
// private one with scripts/pg-cluster.sh; the password is in PGPASSFILE). The loaders read
// tables of fixed names, so each test program gets a database of its own on the server,
// made on first use as role pn and dropped when the program's tests are done.
namespace TestServer {

// Empty when the program's own database is there; else why not (PN_TEST_POSTGRES unset,
// the server unreachable).
std::string unavailable();
// Whether PN_REQUIRE_POSTGRES=1: a test that cannot have the server then fails.
bool required();

// The program's own database, as pipe.xml names it.
const PostgresAddress& address();
// Runs GBK SQL on the program's own database through a connection of the test's own;
// fails the test when a statement does not run.
void exec(const std::vector<std::string>& statements);
// The first column of the first row of a query on that connection, as text.
std::string value(const std::string& sql);

} // namespace TestServer

// Begins a test that reads from the server: skipped when none is named, unless one is
// required (PN_REQUIRE_POSTGRES=1); a server named but out of reach fails the test.
#define PN_NEED_POSTGRES()                                                                                   \
    do {                                                                                                     \
        const std::string pnServerMissing = TestServer::unavailable();                                       \
        if (!pnServerMissing.empty()) {                                                                      \
            if (TestServer::required() || std::getenv("PN_TEST_POSTGRES"))                                   \
                FAIL() << pnServerMissing;                                                                   \
            GTEST_SKIP() << pnServerMissing;                                                                 \
        }                                                                                                    \
    } while (false)
