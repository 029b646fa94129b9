# SDL 1.2 in the web build: Emscripten's own, a JavaScript library that emcc links in, with its
# headers in the system root. Takes the place of CMake's FindSDL, which looks for a library
# file, and gives the same target SDL::SDL.
set(SDL_FOUND TRUE)
set(SDL_INCLUDE_DIR ${EMSCRIPTEN_SYSROOT}/include/SDL)
if(NOT TARGET SDL::SDL)
  add_library(SDL::SDL INTERFACE IMPORTED)
  target_include_directories(SDL::SDL INTERFACE ${SDL_INCLUDE_DIR})
  target_compile_options(SDL::SDL INTERFACE -sUSE_SDL=1)
  target_link_options(SDL::SDL INTERFACE -sUSE_SDL=1)
endif()
