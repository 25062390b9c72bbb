// The program that owns the test programs' shared precompiled header (GoogleTest and the standard
// headers the suites use); it holds no test and is never run.
