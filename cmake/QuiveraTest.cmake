# quivera_add_test(<name> SOURCES <files...> LIBS <targets...>)
# One executable per test file group, registered with CTest. GUI tests run headless.
function(quivera_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUIVERA_BUILD_DIR=${CMAKE_BINARY_DIR};QUIVERA_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    TIMEOUT 300)
endfunction()

# quivera_test_folder(<name> LIBS <targets...> [WINDOWLESS <files...> WINDOWLESS_LIBS <targets...>])
# Every .cpp of the calling folder is one test program. Files named under WINDOWLESS (tests that
# open no window, which the sanitizer run also builds) form a second program, <name>_windowless,
# linked with WINDOWLESS_LIBS only.
function(quivera_test_folder name)
  cmake_parse_arguments(F "" "" "LIBS;WINDOWLESS;WINDOWLESS_LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(F_WINDOWLESS)
    list(TRANSFORM F_WINDOWLESS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    list(REMOVE_ITEM srcs ${F_WINDOWLESS})
    quivera_add_test(${name}_windowless SOURCES ${F_WINDOWLESS} LIBS ${F_WINDOWLESS_LIBS})
  endif()
  if(srcs)
    quivera_add_test(${name} SOURCES ${srcs} LIBS ${F_LIBS})
  endif()
endfunction()
