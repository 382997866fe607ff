# Network configuration and database access: pipe.xml, SQLite and Access files.
pn_add_test(db_tests
  SOURCES
    db/DatabasePathTest.cpp
    db/DBConnectionTest.cpp
    db/DbFixture.cpp
    db/PostgresAddressTest.cpp
  LIBS ${PN_PLUGIN_PARTS} pn_mdbwriter
  LABELS db)

# The failure dialog needs a GUI application of its own; offscreen, no display needed.
pn_add_test(db_dialog_tests
  SOURCES db/DatabaseFailureDialogTest.cpp db/DbFixture.cpp
  LIBS ${PN_PLUGIN_PARTS}
  LABELS db
  ENV QT_QPA_PLATFORM=offscreen)
