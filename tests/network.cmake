# The network's records and pools, the fifteen kinds, and loading them from SQLite and Access files.
pn_add_test(network_records
  SOURCES network/CacheObjTest.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS network)
pn_add_test(network_kinds
  SOURCES network/KindsTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS network)
pn_add_test(network_loading
  SOURCES network/LoaderTest.cpp network/NetworkDatabase.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_mdbwriter
  LABELS network)
# Loading from the test suite's PostgreSQL server (skipped without PN_TEST_POSTGRES).
pn_add_test(network_postgres
  SOURCES network/PostgresLoadingTest.cpp network/NetworkDatabase.cpp db/TestServer.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS network postgres)
