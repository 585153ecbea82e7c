#pragma once

// A WebAssembly build for a page has no threads, and Node's file system under it no umask and
// no file size limit: the tests of those skip there.

namespace pelto::test {

#if defined(__EMSCRIPTEN__)
inline constexpr bool InWebAssembly = true;
#else
inline constexpr bool InWebAssembly = false;
#endif

} // namespace pelto::test

#define PELTO_SKIP_IN_WEBASSEMBLY(Why)                                                             \
    if constexpr (pelto::test::InWebAssembly)                                                      \
    GTEST_SKIP() << (Why)
