# Third-party libraries as imported targets with one name on both targets:
#   Quillon::curl Quillon::zlib Quillon::jsoncpp Quillon::lzmasdk
#   Quillon::httplib Quillon::gtest_main Quillon::gmock
# Linux takes Debian's packages; Windows takes the prefix that scripts/setup
# builds (QUILLON_DEPS_WIN32 for i686, QUILLON_DEPS_WIN64 for x86_64). Both
# take the LZMA SDK decoder from setup.

set(QUILLON_DEPS_LINUX "$ENV{QUILLON_DEPS_LINUX}" CACHE PATH "scripts/setup's Linux prefix")
set(QUILLON_DEPS_WIN32 "$ENV{QUILLON_DEPS_WIN32}" CACHE PATH "scripts/setup's i686 Windows prefix")
set(QUILLON_DEPS_WIN64 "$ENV{QUILLON_DEPS_WIN64}" CACHE PATH "scripts/setup's x86_64 Windows prefix")
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUILLON_DEPS ${QUILLON_DEPS_WIN64})
elseif(WIN32)
  set(QUILLON_DEPS ${QUILLON_DEPS_WIN32})
else()
  set(QUILLON_DEPS ${QUILLON_DEPS_LINUX})
endif()
if(NOT QUILLON_DEPS OR NOT EXISTS ${QUILLON_DEPS}/lib/liblzmasdk.a)
  message(FATAL_ERROR "Run scripts/setup and source ~/.cache/quillon-deps/env.sh "
                      "(or pass -DQUILLON_DEPS_LINUX / -DQUILLON_DEPS_WIN32 / -DQUILLON_DEPS_WIN64)")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLON_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${QUILLON_DEPS})

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
# The Windows programs are linked statically: zlib's import library would
# make them need a zlib1.dll that no Windows has. A cache from before this
# rule is searched again.
if(WIN32)
  set(ZLIB_USE_STATIC_LIBS ON)
  if(ZLIB_LIBRARY_RELEASE MATCHES "\\.dll\\.a$")
    unset(ZLIB_LIBRARY_RELEASE CACHE)
    unset(ZLIB_LIBRARY CACHE)
  endif()
endif()
find_package(ZLIB REQUIRED)
find_package(jsoncpp CONFIG REQUIRED)
find_package(GTest CONFIG REQUIRED)

add_library(Quillon::zlib INTERFACE IMPORTED)
target_link_libraries(Quillon::zlib INTERFACE ZLIB::ZLIB)

add_library(Quillon::lzmasdk STATIC IMPORTED)
set_target_properties(Quillon::lzmasdk PROPERTIES
  IMPORTED_LOCATION ${QUILLON_DEPS}/lib/liblzmasdk.a
  INTERFACE_INCLUDE_DIRECTORIES ${QUILLON_DEPS}/include/lzmasdk)

add_library(Quillon::jsoncpp INTERFACE IMPORTED)
if(TARGET jsoncpp_static)
  target_link_libraries(Quillon::jsoncpp INTERFACE jsoncpp_static)
else()
  target_link_libraries(Quillon::jsoncpp INTERFACE jsoncpp_lib)
endif()

add_library(Quillon::gtest_main INTERFACE IMPORTED)
target_link_libraries(Quillon::gtest_main INTERFACE GTest::gtest_main GTest::gtest Threads::Threads)
add_library(Quillon::gmock INTERFACE IMPORTED)
target_link_libraries(Quillon::gmock INTERFACE GTest::gmock)

add_library(Quillon::httplib INTERFACE IMPORTED)
target_link_libraries(Quillon::httplib INTERFACE Threads::Threads)

add_library(Quillon::curl INTERFACE IMPORTED)
if(WIN32)
  target_include_directories(Quillon::curl INTERFACE ${QUILLON_DEPS}/include)
  target_compile_definitions(Quillon::curl INTERFACE CURL_STATICLIB)
  target_link_libraries(Quillon::curl INTERFACE ${QUILLON_DEPS}/lib/libcurl.a ZLIB::ZLIB
    ws2_32 crypt32 bcrypt secur32 wldap32 advapi32 Threads::Threads)
  target_include_directories(Quillon::httplib INTERFACE ${QUILLON_DEPS}/include/httplib)
  target_link_libraries(Quillon::httplib INTERFACE ws2_32 crypt32)
  # ctest starts the Windows test programs through Wine: setup's launcher
  # of the matching word size, which names its loader and prefix outright
  # (the plain `wine` wrapper prefers the 32-bit loader when it exists).
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QUILLON_WINE "$ENV{QUILLON_WINE_WIN64}" CACHE FILEPATH "Wine launcher of the test programs")
  else()
    set(QUILLON_WINE "$ENV{QUILLON_WINE_WIN32}" CACHE FILEPATH "Wine launcher of the test programs")
  endif()
  if(QUILLON_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLON_WINE})
  endif()
else()
  find_package(CURL REQUIRED)
  target_link_libraries(Quillon::curl INTERFACE CURL::libcurl)
  find_library(QUILLON_HTTPLIB cpp-httplib REQUIRED)
  target_link_libraries(Quillon::httplib INTERFACE ${QUILLON_HTTPLIB})
  find_package(benchmark CONFIG QUIET)
endif()

include(GoogleTest)

# quillon_link_httplib(target): cpp-httplib for a test server or developer
# program. Its Windows form needs Vista's socket calls, so such a target is
# compiled against the newer API level; the product never links it.
function(quillon_link_httplib target)
  target_link_libraries(${target} PRIVATE Quillon::httplib)
  set_target_properties(${target} PROPERTIES QUILLON_NEW_WINDOWS_API ON)
endfunction()
