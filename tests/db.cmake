# Network configuration and database access: pipe.xml, SQLite and Access files.
pn_add_test(db_tests
  SOURCES
    db/DatabasePathTest.cpp
    db/DBConnectionTest.cpp
    db/AccessBackendTest.cpp
    db/DbFixture.cpp
    db/MdbWriterTest.cpp
  LIBS pn_plugin pn_mdbwriter
  LABELS db)
