# The core compiled to WebAssembly with Debian's Emscripten: its C libraries come from the prefix
# scripts/wasm-libs builds from Debian's source packages, and Boost.JSON from Debian's headers.
# The targets are named as the native packages name theirs, so the levels link them alike.
set(PELTO_WASM_LIBS ${CMAKE_SOURCE_DIR}/build/wasm-libs/prefix
    CACHE PATH "the prefix of the C libraries built for WebAssembly (scripts/wasm-libs)")
if(NOT EXISTS ${PELTO_WASM_LIBS}/lib/libpng16.a)
  message(FATAL_ERROR "No WebAssembly libraries in ${PELTO_WASM_LIBS}: run scripts/wasm-libs")
endif()

function(pelto_wasm_library target)
  add_library(${target} INTERFACE IMPORTED)
  list(TRANSFORM ARGN PREPEND ${PELTO_WASM_LIBS}/lib/)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${PELTO_WASM_LIBS}/include
                                             INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()
pelto_wasm_library(ZLIB::ZLIB libz.a)
pelto_wasm_library(PNG::PNG libpng16.a libz.a)
pelto_wasm_library(JPEG::JPEG libjpeg.a)
pelto_wasm_library(GIF::GIF libgif.a)
pelto_wasm_library(PkgConfig::WEBP libwebpmux.a libwebp.a)
pelto_wasm_library(PkgConfig::DEFLATE libdeflate.a)
pelto_wasm_library(Freetype::Freetype libfreetype.a)

# Only Boost's headers: a folder that holds nothing but them, so that no native system header
# comes along.
set(PELTO_WASM_BOOST ${CMAKE_BINARY_DIR}/wasm-boost)
file(MAKE_DIRECTORY ${PELTO_WASM_BOOST})
file(CREATE_LINK /usr/include/boost ${PELTO_WASM_BOOST}/boost SYMBOLIC)
add_library(Boost::headers INTERFACE IMPORTED)
set_target_properties(Boost::headers PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${PELTO_WASM_BOOST}
                                                INTERFACE_SYSTEM_INCLUDE_DIRECTORIES
                                                ${PELTO_WASM_BOOST})

# Exceptions carry every reader's message; without threads, as ordinary static hosts serve a page.
add_compile_options(-fexceptions)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)
