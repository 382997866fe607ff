# pn_import: sample networks copied into SQLite files, and into PostgreSQL when PN_TEST_POSTGRES names a server.
pn_add_test(importer_tests
  SOURCES importer/ImportTest.cpp
  LIBS pn_importer pn_sample
  LABELS importer)
add_dependencies(importer_tests pn_import pn_access_reader)
