pn_add_test(loft_tests
  SOURCES loft/LoftTest.cpp
  LIBS loft pn_osg
  LABELS loft)
