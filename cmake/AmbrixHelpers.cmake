# One GoogleTest executable per folder under tests/, registered with ctest.
# A folder with no sources yet adds nothing.
function(ambrix_add_test_dir dir)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target test_${dir})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${target} PRIVATE
    AMBRIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" AMBRIX_TEST_DIR="${PROJECT_SOURCE_DIR}/tests/${dir}")
  # Every discovered test gets the time limit (AMBRIX_TEST_TIMEOUT).
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${dir} TIMEOUT ${AMBRIX_TEST_TIMEOUT})
endfunction()

# The conversion core must never depend on Qt: fail the configuration if any
# library it links, directly or through its interface, names Qt.
function(ambrix_check_no_qt target)
  get_target_property(libs ${target} LINK_LIBRARIES)
  get_target_property(ilibs ${target} INTERFACE_LINK_LIBRARIES)
  foreach(lib IN LISTS libs ilibs)
    if(lib MATCHES "(^|::|/|lib)Qt[0-9]" OR lib MATCHES "^Qt")
      message(FATAL_ERROR "${target} links ${lib}: the conversion core must not depend on Qt")
    endif()
  endforeach()
  get_target_property(incs ${target} INCLUDE_DIRECTORIES)
  foreach(inc IN LISTS incs)
    if(inc MATCHES "/[Qq]t6?/" OR inc MATCHES "qt6")
      message(FATAL_ERROR "${target} includes ${inc}: the conversion core must not depend on Qt")
    endif()
  endforeach()
endfunction()

# Sources of the core may not include Qt headers either.
function(ambrix_check_no_qt_includes)
  foreach(src IN LISTS ARGN)
    file(STRINGS ${src} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]+")
    if(hits)
      message(FATAL_ERROR "${src} includes a Qt header: the conversion core must not depend on Qt")
    endif()
  endforeach()
endfunction()

# Compiles the files of data/ into a function that returns a file's text by name.
function(ambrix_embed_files target namespace)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.cpp)
  # The list separators must reach the script as one argument, not the shell.
  string(REPLACE ";" "$<SEMICOLON>" files "${ARGN}")
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DNAMESPACE=${namespace} "-DFILES=${files}"
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    DEPENDS ${ARGN} ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    COMMENT "Embedding data files"
    VERBATIM)
  add_library(${target} STATIC ${out})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()

# The programs make and free a great many small strings and parse nodes on two
# or more threads; jemalloc does that work in about four fifths of the time
# glibc's allocator takes. Linked whole (nothing names it, so --as-needed
# would drop it), it serves Qt's and SQLite's allocations as well. Without the
# library, or under the sanitizers (which bring their own allocator), the
# programs use the system allocator.
function(ambrix_use_fast_allocator target)
  if(NOT AMBRIX_JEMALLOC OR AMBRIX_SANITIZE)
    return()
  endif()
  find_library(AMBRIX_JEMALLOC_LIBRARY NAMES jemalloc)
  if(NOT AMBRIX_JEMALLOC_LIBRARY)
    message(STATUS "jemalloc not found: ${target} uses the system allocator")
    return()
  endif()
  target_link_libraries(${target} PRIVATE "-Wl,--push-state,--no-as-needed" ${AMBRIX_JEMALLOC_LIBRARY}
    "-Wl,--pop-state")
endfunction()
