# Compiler settings shared by every target of the project.

if(THERMO_SANITIZE AND THERMO_TSAN)
  message(FATAL_ERROR "THERMO_SANITIZE and THERMO_TSAN cannot be combined")
endif()

set(THERMO_SANITIZER_FLAGS "")
if(THERMO_SANITIZE)
  set(THERMO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(THERMO_TSAN)
  set(THERMO_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
endif()

# Our own targets: warnings are errors.
function(thermo_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror ${THERMO_SANITIZER_FLAGS})
  target_link_options(${target} PRIVATE ${THERMO_SANITIZER_FLAGS})
endfunction()

# A static library of one source area: src/<area> -> thermo_<area>.
function(thermo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  thermo_target_options(${name})
  if(THERMO_SANITIZER_FLAGS)
    target_link_options(${name} INTERFACE ${THERMO_SANITIZER_FLAGS})
  endif()
endfunction()

# A GoogleTest executable registered with CTest. GUI tests run offscreen.
function(thermo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  thermo_target_options(${name})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
