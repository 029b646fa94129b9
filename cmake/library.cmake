# Installs the module library for other productions: the headers under include/kova/ with their
# folders kept, the static libraries under lib/, a CMake package (find_package(kova) gives
# kova::kova and, where SDL 1.2 is found, kova::sdl) and the pkg-config files kova and kova-sdl.
# Every path in the installed files is relative to the prefix, so the tree can be moved.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The headers a user includes, one list per library. Everything they include from src/ is
# installed with them (see kova_header_closure), so a helper header that a public one starts
# to include goes along without being named here.
set(KOVA_PUBLIC_HEADERS
    core/report.h core/list.h core/text.h core/sintab.h core/random.h
    gfx/img.h gfx/bytemap.h gfx/font.h gfx/bfont.h gfx/cursor.h
    fx/bplasma.h fx/bscroll.h fx/raster.h
    audio/sample.h audio/music.h)
set(KOVA_SDL_PUBLIC_HEADERS
    platform/sdldpy.h platform/sdlkbd.h platform/fps.h platform/sdlsnd.h)

# Headers as paths below src/, followed through their #include "..." lines.
function(kova_header_closure out)
  set(pending ${ARGN})
  set(found)
  while(pending)
    list(POP_FRONT pending header)
    if(header IN_LIST found OR NOT EXISTS ${PROJECT_SOURCE_DIR}/src/${header})
      continue()
    endif()
    list(APPEND found ${header})
    file(STRINGS ${PROJECT_SOURCE_DIR}/src/${header} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
      list(APPEND pending ${included})
    endforeach()
  endwhile()
  list(SORT found)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

kova_header_closure(KOVA_INSTALLED_HEADERS ${KOVA_PUBLIC_HEADERS} ${KOVA_SDL_PUBLIC_HEADERS})
foreach(header ${KOVA_INSTALLED_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES src/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kova/${folder}
          COMPONENT library)
endforeach()

# Both <kova/gfx/img.h> and the headers' own "core/report.h" must resolve, installed and in
# this build tree alike (where include/kova is a link to src).
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/library/include)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/library/include/kova SYMBOLIC)
foreach(target kova kova_sdl)
  target_include_directories(${target} INTERFACE
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/library/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/kova>)
endforeach()
set_target_properties(kova PROPERTIES EXPORT_NAME kova)
set_target_properties(kova_sdl PROPERTIES EXPORT_NAME sdl OUTPUT_NAME kova-sdl)

set(KOVA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kova)
install(TARGETS kova EXPORT kovaTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library)
install(TARGETS kova_sdl EXPORT kovaSdlTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library)
install(EXPORT kovaTargets NAMESPACE kova:: DESTINATION ${KOVA_CMAKE_DIR} COMPONENT library)
install(EXPORT kovaSdlTargets NAMESPACE kova:: DESTINATION ${KOVA_CMAKE_DIR} COMPONENT library)

configure_package_config_file(cmake/library/kovaConfig.cmake.in
  ${PROJECT_BINARY_DIR}/library/kovaConfig.cmake INSTALL_DESTINATION ${KOVA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/library/kovaConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/library/kovaConfig.cmake
              ${PROJECT_BINARY_DIR}/library/kovaConfigVersion.cmake
        DESTINATION ${KOVA_CMAKE_DIR} COMPONENT library)

# pkg-config: the prefix is found from the .pc file's own place.
set(KOVA_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH KOVA_PC_TO_PREFIX /prefix/${KOVA_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" KOVA_PC_TO_PREFIX "${KOVA_PC_TO_PREFIX}")
foreach(pc kova kova-sdl)
  configure_file(cmake/library/${pc}.pc.in ${PROJECT_BINARY_DIR}/library/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/library/${pc}.pc DESTINATION ${KOVA_PC_DIR}
          COMPONENT library)
endforeach()

install(FILES docs/library.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kova COMPONENT library)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kova/examples
        COMPONENT library)
