// Compiled only to build the precompiled headers the tests of one folder share (KavTest.cmake).
