# Builds the web page (HTML, JavaScript, WebAssembly) with Debian's emscripten:
#   cmake --preset web          (build/web; tools/build-web.sh runs this)
# Emscripten's own toolchain file sets up the compilers; SDL 1.2 is Emscripten's built-in one,
# which cmake/emscripten/FindSDL.cmake hands to find_package(SDL).
execute_process(COMMAND em-config EMSCRIPTEN_ROOT OUTPUT_VARIABLE KOVA_EMSCRIPTEN_ROOT
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include(${KOVA_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/emscripten)
