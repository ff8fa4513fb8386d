# libjpeg-turbo, the JPEG decoder: Debian's source package (fetched into .deps/ by
# scripts/fetch-libjpeg-turbo.sh), unpacked into this build tree and built as a static library with this
# build's compilers, SIMD included. Gives the imported target pictavo_jpeg and PICTAVO_JPEG_NOTICES (the
# licence texts a binary distribution carries).
#
# -DPICTAVO_SYSTEM_JPEG=ON uses the toolchain's own libjpeg-turbo instead (MSYS2 on Windows).
option(PICTAVO_SYSTEM_JPEG "Use the toolchain's own libjpeg-turbo" OFF)

if(PICTAVO_SYSTEM_JPEG)
  find_package(JPEG REQUIRED)
  add_library(pictavo_jpeg INTERFACE)
  target_link_libraries(pictavo_jpeg INTERFACE JPEG::JPEG)
  return()  # the toolchain's package carries its own notices
endif()

set(PICTAVO_DEPS_DIR ${PROJECT_SOURCE_DIR}/.deps CACHE PATH "Where the fetched source packages are")
file(GLOB jpeg_dsc ${PICTAVO_DEPS_DIR}/libjpeg-turbo/libjpeg-turbo_*.dsc)
if(NOT jpeg_dsc AND CMAKE_HOST_UNIX)
  execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/fetch-libjpeg-turbo.sh
                  RESULT_VARIABLE fetched)
  file(GLOB jpeg_dsc ${PICTAVO_DEPS_DIR}/libjpeg-turbo/libjpeg-turbo_*.dsc)
endif()
if(NOT jpeg_dsc)
  message(FATAL_ERROR "libjpeg-turbo's source package is missing: run scripts/fetch-libjpeg-turbo.sh "
                      "(or configure with -DPICTAVO_SYSTEM_JPEG=ON)")
endif()
list(SORT jpeg_dsc COMPARE NATURAL)
list(GET jpeg_dsc -1 jpeg_dsc)

# The upstream tarball and its SHA-256, as the .dsc states them.
file(STRINGS ${jpeg_dsc} dsc_lines)
set(in_sha256 FALSE)
foreach(line IN LISTS dsc_lines)
  if(line MATCHES "^Checksums-Sha256:")
    set(in_sha256 TRUE)
  elseif(in_sha256 AND line MATCHES "^ ([0-9a-f]+) [0-9]+ (libjpeg-turbo_[^ ]+\\.orig\\.tar\\.gz)$")
    set(jpeg_sha256 ${CMAKE_MATCH_1})
    set(jpeg_tarball ${PICTAVO_DEPS_DIR}/libjpeg-turbo/${CMAKE_MATCH_2})
  elseif(in_sha256 AND line MATCHES "^ ([0-9a-f]+) [0-9]+ (libjpeg-turbo_[^ ]+\\.debian\\.tar\\.xz)$")
    set(debian_sha256 ${CMAKE_MATCH_1})
    set(debian_tarball ${PICTAVO_DEPS_DIR}/libjpeg-turbo/${CMAKE_MATCH_2})
  elseif(NOT line MATCHES "^ ")
    set(in_sha256 FALSE)
  endif()
endforeach()
if(NOT jpeg_tarball OR NOT EXISTS ${jpeg_tarball})
  message(FATAL_ERROR "${jpeg_dsc} names no upstream tarball that is present: run scripts/fetch-libjpeg-turbo.sh")
endif()
file(SHA256 ${jpeg_tarball} actual_sha256)
if(NOT actual_sha256 STREQUAL jpeg_sha256)
  message(FATAL_ERROR "${jpeg_tarball} does not match the checksum in ${jpeg_dsc}")
endif()
if(debian_tarball)
  file(SHA256 ${debian_tarball} actual_sha256)
  if(NOT actual_sha256 STREQUAL debian_sha256)
    message(FATAL_ERROR "${debian_tarball} does not match the checksum in ${jpeg_dsc}")
  endif()
endif()

set(jpeg_src ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo-src)
if(NOT EXISTS ${jpeg_src}/.unpacked-${jpeg_sha256})
  file(REMOVE_RECURSE ${jpeg_src})
  file(ARCHIVE_EXTRACT INPUT ${jpeg_tarball} DESTINATION ${CMAKE_BINARY_DIR}/_deps/unpack)
  file(GLOB unpacked LIST_DIRECTORIES true ${CMAKE_BINARY_DIR}/_deps/unpack/*)
  file(RENAME ${unpacked} ${jpeg_src})
  file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/_deps/unpack)
  # Debian's patches, in the order of its series file.
  if(debian_tarball)
    file(ARCHIVE_EXTRACT INPUT ${debian_tarball} DESTINATION ${jpeg_src})
    file(STRINGS ${jpeg_src}/debian/patches/series series REGEX "^[^#]")
    foreach(name IN LISTS series)
      string(STRIP "${name}" name)
      execute_process(COMMAND patch -p1 -N -s -i debian/patches/${name} WORKING_DIRECTORY ${jpeg_src}
                      RESULT_VARIABLE patched)
      if(NOT patched EQUAL 0)
        message(FATAL_ERROR "Debian's patch ${name} does not apply to ${jpeg_tarball}")
      endif()
    endforeach()
  endif()
  file(TOUCH ${jpeg_src}/.unpacked-${jpeg_sha256})
endif()
set(PICTAVO_JPEG_NOTICES ${jpeg_src}/LICENSE.md ${jpeg_src}/README.ijg CACHE STRING
    "libjpeg-turbo's licence texts, which the packages carry" FORCE)
mark_as_advanced(PICTAVO_JPEG_NOTICES)

# The library is built with this build's compilers; the fuzz build instruments it for coverage.
set(jpeg_c_flags "-O2")
set(jpeg_c_compiler ${CMAKE_C_COMPILER})
if(PICTAVO_FUZZ)
  set(jpeg_c_compiler clang)
  string(APPEND jpeg_c_flags " -g -fsanitize=fuzzer-no-link,address,undefined")
elseif(PICTAVO_SANITIZE)
  string(APPEND jpeg_c_flags " -g -fsanitize=address,undefined -fno-omit-frame-pointer")
endif()
set(jpeg_args
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_C_COMPILER=${jpeg_c_compiler}
  "-DCMAKE_C_FLAGS=${jpeg_c_flags}"
  -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
  -DCMAKE_INSTALL_LIBDIR=lib
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
  -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_ARITH_DEC=ON -DWITH_ARITH_ENC=ON
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON)
if(CMAKE_TOOLCHAIN_FILE)
  list(APPEND jpeg_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
endif()

include(ExternalProject)
set(jpeg_prefix ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)
ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${jpeg_src}
  PREFIX ${jpeg_prefix}
  INSTALL_DIR ${jpeg_prefix}/install
  CMAKE_ARGS ${jpeg_args}
  # The static library alone: its tools and tests are not needed here.
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/include <INSTALL_DIR>/lib
          COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a <INSTALL_DIR>/lib/libjpeg.a
          COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/jconfig.h ${jpeg_src}/jpeglib.h ${jpeg_src}/jerror.h
                  ${jpeg_src}/jmorecfg.h <INSTALL_DIR>/include
  BUILD_BYPRODUCTS ${jpeg_prefix}/install/lib/libjpeg.a
  UPDATE_COMMAND "" PATCH_COMMAND ""
  TEST_COMMAND "")
file(MAKE_DIRECTORY ${jpeg_prefix}/install/include)
add_library(pictavo_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(pictavo_jpeg PROPERTIES
  IMPORTED_LOCATION ${jpeg_prefix}/install/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${jpeg_prefix}/install/include)
add_dependencies(pictavo_jpeg libjpeg_turbo_build)
