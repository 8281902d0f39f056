// Forced into every file above the media layer (except the program's main.cpp): the OS's files,
// clocks, chance and environment are compile errors there, so that game code goes through the
// seams of this folder (file_io.h, clock.h, crand.h and random_generator.h, environment.h) and
// stays testable and repeatable. Declarations, macros and the few headers they need, so it costs
// next to nothing to compile.
#pragma once

// The C calls become an undeclared name that says what to use. Their headers come first,
// so their own declarations are not rewritten.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#if __has_include(<unistd.h>)
#include <unistd.h>
#endif
// std::random_shuffle calls std::rand: the library's algorithms come before the macros too.
#if __has_include(<bits/stl_algo.h>)
#include <bits/stl_algo.h>
#else
#include <algorithm>
#endif

#define ISORA_FORBIDDEN_CALL(name) isora_forbidden_call_use_the_foundation_seam_for_##name
#undef fopen
#define fopen(...) ISORA_FORBIDDEN_CALL(fopen)
#undef fopen64
#define fopen64(...) ISORA_FORBIDDEN_CALL(fopen64)
#undef freopen
#define freopen(...) ISORA_FORBIDDEN_CALL(freopen)
#undef tmpfile
#define tmpfile(...) ISORA_FORBIDDEN_CALL(tmpfile)
#undef chdir
#define chdir(...) ISORA_FORBIDDEN_CALL(chdir)
#undef getcwd
#define getcwd(...) ISORA_FORBIDDEN_CALL(getcwd)
#undef time
#define time(...) ISORA_FORBIDDEN_CALL(time)
#undef clock
#define clock(...) ISORA_FORBIDDEN_CALL(clock)
#undef rand
#define rand(...) ISORA_FORBIDDEN_CALL(rand)
#undef srand
#define srand(...) ISORA_FORBIDDEN_CALL(srand)
#undef getenv
#define getenv(...) ISORA_FORBIDDEN_CALL(getenv)
#undef secure_getenv
#define secure_getenv(...) ISORA_FORBIDDEN_CALL(secure_getenv)
#undef setenv
#define setenv(...) ISORA_FORBIDDEN_CALL(setenv)
#undef putenv
#define putenv(...) ISORA_FORBIDDEN_CALL(putenv)
#undef system
#define system(...) ISORA_FORBIDDEN_CALL(system)

// The C++ facilities. A second class of the same name in an inline namespace makes every use of
// the standard one ambiguous without touching the library's own code.
namespace std {
inline namespace forbidden_use_foundation_file_io {
class ifstream;
class ofstream;
class fstream;
}  // namespace forbidden_use_foundation_file_io
inline namespace forbidden_use_foundation_random_generator {
class random_device;
}  // namespace forbidden_use_foundation_random_generator
}  // namespace std

// The clocks and the process's working folder are named by the library's own code too, so they
// are declared deprecated instead (the first declaration may carry it), which the compiler
// reports for our code only, never inside the library's headers; the pragma makes it an error.
#if defined(__GLIBCXX__)
namespace std {
class error_code;
namespace chrono {
inline namespace _V2 {
struct [[deprecated("time goes through foundation/clock.h")]] system_clock;
struct [[deprecated("time goes through foundation/clock.h")]] steady_clock;
}  // namespace _V2
}  // namespace chrono
namespace filesystem {
#if _GLIBCXX_USE_CXX11_ABI
inline namespace __cxx11 __attribute__((__abi_tag__("cxx11"))) {
  class path;
}
#else
class path;
#endif
[[deprecated("the game folder comes from foundation/file_io.h")]] path current_path();
[[deprecated("the game folder comes from foundation/file_io.h")]] path current_path(error_code&);
[[deprecated("the game folder comes from foundation/file_io.h")]] void current_path(const path&);
[[deprecated("the game folder comes from foundation/file_io.h")]] void current_path(
    const path&, error_code&) noexcept;
[[deprecated("folders are made by MakeFolders (foundation/file_io.h)")]] bool create_directories(
    const path&);
[[deprecated("folders are made by MakeFolders (foundation/file_io.h)")]] bool create_directories(
    const path&, error_code&);
}  // namespace filesystem
}  // namespace std
#endif
#pragma GCC diagnostic error "-Wdeprecated-declarations"
