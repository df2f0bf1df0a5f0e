# Native build: the platform-free logic under AddressSanitizer and UBSan.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(qcore PRIVATE ${SANITIZE} -g)
target_link_options(qcore PUBLIC ${SANITIZE})

find_package(GTest REQUIRED)
file(GLOB CORE_TESTS CONFIGURE_DEPENDS tests/core/*_test.cpp)
add_executable(core_tests ${CORE_TESTS})
target_compile_options(core_tests PRIVATE ${SANITIZE} -g -Wall -Wextra)
target_link_libraries(core_tests PRIVATE qcore GTest::gtest_main)
# The resource script's string tables, read by the tests of texts in every language.
target_compile_definitions(core_tests PRIVATE QUORLIN_RES_DIR="${CMAKE_SOURCE_DIR}/src/ui/res")
add_test(NAME core_tests COMMAND core_tests --gtest_brief=1)

# Dependencies between the source folders run one way (base < subsystems < shell < ui).
add_test(NAME check_layers COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh)
add_test(NAME check_layers_selftest COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh --selftest)

# The hook decision measured natively (make bench): optimised and without the sanitizers.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(bench_HookDecision EXCLUDE_FROM_ALL bench/native/HookDecision.cpp)
  target_include_directories(bench_HookDecision PRIVATE src)
  target_compile_options(bench_HookDecision PRIVATE -O2 -Wall -Wextra)
  target_link_libraries(bench_HookDecision PRIVATE benchmark::benchmark)
endif()
