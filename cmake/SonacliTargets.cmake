# Shared compile options and the helpers that every folder uses to declare its library and tests.
find_package(PkgConfig REQUIRED)

add_library(sonacli_warnings INTERFACE)
target_compile_options(sonacli_warnings INTERFACE -Wall -Wextra $<$<BOOL:${SONACLI_WERROR}>:-Werror>)

if(SONACLI_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(SONACLI_TSAN)
  if(SONACLI_SANITIZE OR SONACLI_FUZZ)
    message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(SONACLI_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SONACLI_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  # Coverage for libFuzzer in every library; the fuzz targets add libFuzzer itself when linking.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# sonacli_library(<layer> SOURCES <files...> [DEPS <targets...>] [PKG <pkg-config modules...>])
# Declares the library target sonacli_<layer> with src/ as its include root.
function(sonacli_library layer)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PKG" ${ARGN})
  set(target sonacli_${layer})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} PRIVATE sonacli_warnings)
  foreach(pkg IN LISTS ARG_PKG)
    string(MAKE_C_IDENTIFIER "${pkg}" pkgvar)
    if(NOT TARGET PkgConfig::${pkgvar})
      pkg_check_modules(${pkgvar} REQUIRED IMPORTED_TARGET GLOBAL ${pkg})
    endif()
    target_link_libraries(${target} PUBLIC PkgConfig::${pkgvar})
  endforeach()
endfunction()

# sonacli_test(<name> SOURCES <files...> DEPS <targets...>)
# One GoogleTest executable registered with CTest; tests run from a folder of their own. Its tests
# carry the executable's name as their label (ctest -L), so that a run can pick whole executables.
function(sonacli_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} sonacli_testing GTest::gtest GTest::gmock sonacli_warnings)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "SONACLI_ANSI_CODEPAGE=1251" LABELS ${name})
endfunction()
