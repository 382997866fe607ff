pn_add_test(host_test
  SOURCES host/HostLayerTest.cpp host/CommandRegistryTest.cpp
  LIBS Selmor Torvik)
