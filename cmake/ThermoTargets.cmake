# Compiler settings shared by every target of the project.

if(THERMO_SANITIZE AND THERMO_TSAN)
  message(FATAL_ERROR "THERMO_SANITIZE and THERMO_TSAN cannot be combined")
endif()
if(THERMO_FUZZ AND (THERMO_SANITIZE OR THERMO_TSAN))
  message(FATAL_ERROR "THERMO_FUZZ brings its own sanitizers; do not combine it with THERMO_SANITIZE or THERMO_TSAN")
endif()
if(THERMO_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "THERMO_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
endif()

set(THERMO_SANITIZER_FLAGS "")
if(THERMO_SANITIZE)
  set(THERMO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(THERMO_TSAN)
  set(THERMO_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(THERMO_FUZZ)
  # Libraries get the fuzzer's coverage hooks but not its main(); only the
  # harnesses in fuzz/ link the fuzzer itself.
  set(THERMO_SANITIZER_FLAGS -fsanitize=fuzzer-no-link,address,undefined
      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
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
# Its tests carry the test folder's name as label (usb, app, ...) plus any
# LABELS given; the ThreadSanitizer run selects tests by label "threads".
function(thermo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  thermo_target_options(${name})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  # The labels are set by a script CTest reads after the discovered tests:
  # gtest_discover_tests hands its PROPERTIES on as a flat list, which kept
  # only the first of several labels.
  set(labels_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_script}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${folder};${ARG_LABELS}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_script})
endfunction()

# The sources of an area folder: every .cpp directly in it (the folder's
# files come and go as the area grows; CONFIGURE_DEPENDS re-globs on build).
function(thermo_glob_sources out dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

# Adds every direct subfolder of dir that has a CMakeLists.txt.
function(thermo_add_subfolders dir)
  file(GLOB entries LIST_DIRECTORIES true ${dir}/*)
  foreach(entry ${entries})
    if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
      add_subdirectory(${entry})
    endif()
  endforeach()
endfunction()
