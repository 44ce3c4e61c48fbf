# Common compile settings for every Plandeck target.
add_library(plandeck_options INTERFACE)
target_compile_options(plandeck_options INTERFACE -Wall -Wextra)
target_include_directories(plandeck_options INTERFACE ${PROJECT_SOURCE_DIR})
if(PLANDECK_WERROR)
  target_compile_options(plandeck_options INTERFACE -Werror)
  # GCC 12's inlining at -O3 reports std::string and std::vector internals as
  # overlapping or overflowing (false positives fixed in later releases). They
  # stay warnings in a Release build; every other configuration keeps them errors.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(plandeck_options INTERFACE
      $<$<CONFIG:Release>:-Wno-error=restrict -Wno-error=stringop-overflow -Wno-error=array-bounds -Wno-error=stringop-overread>)
  endif()
endif()
if(PLANDECK_SANITIZE)
  target_compile_options(plandeck_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(plandeck_options INTERFACE -fsanitize=address,undefined)
endif()
if(PLANDECK_FUZZ)
  target_compile_options(plandeck_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
  target_link_options(plandeck_options INTERFACE -fsanitize=address,undefined)
endif()

# The model-level test programs, which CI also runs under the sanitizers.
add_custom_target(model_tests)

# plandeck_add_tests(NAME <exe> LABEL <label> SOURCES ... LIBS ...)
function(plandeck_add_tests)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main plandeck_options)
  target_compile_definitions(${T_NAME} PRIVATE PLANDECK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  if(T_LABEL STREQUAL "model")
    add_dependencies(model_tests ${T_NAME})
  endif()
  include(GoogleTest)
  gtest_discover_tests(${T_NAME} PROPERTIES LABELS ${T_LABEL}
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen" DISCOVERY_TIMEOUT 60)
endfunction()
