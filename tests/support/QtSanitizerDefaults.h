// ThreadSanitizer's defaults for a test program that runs Qt, included by its main file alone.
//
// ctest gives each test the sanitizer's options, but not the run that lists a program's tests
// before they start. Qt and GLib are not built for the sanitizer, and their threads hand memory
// over through locks it does not see: as a listing run ends, the teardown of Qt's X event reader
// was reported as races and failed the listing, so no test of the program ran. With this default
// every run of the program leaves those libraries' own accesses untracked, as the tests' options
// do; options given in TSAN_OPTIONS are read after it.

#pragma once

extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
