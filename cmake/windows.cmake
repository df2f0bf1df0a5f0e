# Windows build (MinGW-w64 i686): the program, its Win32 modules and the tests run under Wine.
# Everything is linked statically, so no runtime DLL has to travel beside the executables.
add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)
add_link_options(-static -static-libgcc -static-libstdc++)

# Size (docs/PERFORMANCE.md): the release build is optimised for size, and the program's code gets
# a section for each function and object so that the linker drops what nothing uses.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
set(SECTION_PER_FUNCTION -ffunction-sections -fdata-sections)
target_compile_options(qcore PRIVATE ${SECTION_PER_FUNCTION})

set(GEN_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(src/ui/res/version.h.in ${GEN_DIR}/version.h @ONLY)

# The resource script (strings, manifest, version, icons) goes into every binary that needs it.
set(QUORLIN_RC ${CMAKE_SOURCE_DIR}/src/ui/res/Quorlin.rc)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${GEN_DIR} -I${CMAKE_SOURCE_DIR}/src/ui/res -I${CMAKE_SOURCE_DIR}/src")
file(GLOB RES_DEPS CONFIGURE_DEPENDS src/ui/res/* src/base/resource.h)
set_source_files_properties(${QUORLIN_RC} PROPERTIES OBJECT_DEPENDS "${RES_DEPS};${GEN_DIR}/version.h")

# No ole32 or oleaut32: COM is loaded from the system folder when first needed (base/System_win).
set(WIN_LIBS user32 gdi32 shell32 advapi32 uuid comctl32)

# Win32 edge: every src/**/*_win.cpp except the program entry.
file(GLOB_RECURSE WIN_SOURCES CONFIGURE_DEPENDS src/*_win.cpp)
list(FILTER WIN_SOURCES EXCLUDE REGEX "src/ui/Main_win\\.cpp$")
add_library(qwin STATIC ${WIN_SOURCES})
target_include_directories(qwin PUBLIC src ${GEN_DIR})
target_link_libraries(qwin PUBLIC qcore ${WIN_LIBS})
target_compile_options(qwin PRIVATE -Wall -Wextra ${SECTION_PER_FUNCTION})
target_compile_definitions(qwin PUBLIC QUORLIN_WEBSITE_HOST="${QUORLIN_WEBSITE}")

if(EXISTS ${CMAKE_SOURCE_DIR}/src/ui/Main_win.cpp)
  add_executable(Quorlin WIN32 src/ui/Main_win.cpp ${QUORLIN_RC})
  target_link_libraries(Quorlin PRIVATE qwin)
  target_compile_options(Quorlin PRIVATE ${SECTION_PER_FUNCTION})
  # Sections aligned to pages in the file as in memory: Wine can then map the image's pages from
  # the file, where with the default 512 bytes it reads every page into private memory.
  target_link_options(Quorlin PRIVATE -municode -Wl,--gc-sections -Wl,--file-alignment=4096)
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    # The release executable carries no symbols and may not grow past the limit: the build fails
    # above it (and removes the file, so that the next build tries again).
    # 544 KiB: the features behind one interface cost three pages; neither dropping unwind tables
    # (exceptions need them) nor link-time optimisation (the compiler fails on it) gives them back.
    # 608 KiB: the eight translated string tables take 52 KiB (UTF-16 texts, as resources keep them),
    # fitting the windows to longer texts 8 KiB.
    # 648 KiB: the Activity window, its model and the diagnostics report take ten pages (about
    # 27 KB of code, the rest unwind tables, texts and the press ring on the hook pages).
    # A plain variable, not a cache entry, so that a build tree configured before the limit moved
    # follows it rather than removing every new Quorlin.exe.
    set(QUORLIN_SIZE_LIMIT 663552)
    target_link_options(Quorlin PRIVATE -s)
    add_custom_command(TARGET Quorlin POST_BUILD
      COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:Quorlin> -DLIMIT=${QUORLIN_SIZE_LIMIT}
              -P ${CMAKE_SOURCE_DIR}/cmake/check-size.cmake
      VERBATIM)
  endif()

  # Test only, never shipped: the same program with the hook path built to take each event's raw
  # input report only after deciding that event, as the order reported for Windows has it (Wine
  # queues the report first). Its own copy of the hook code stands in for the library's.
  add_executable(QuorlinReportsAfterHooks WIN32 src/ui/Main_win.cpp src/blocker/InputHooks_win.cpp ${QUORLIN_RC})
  target_compile_definitions(QuorlinReportsAfterHooks PRIVATE QUORLIN_REPORTS_AFTER_HOOKS)
  target_link_libraries(QuorlinReportsAfterHooks PRIVATE qwin)
  target_compile_options(QuorlinReportsAfterHooks PRIVATE -Wall -Wextra ${SECTION_PER_FUNCTION})
  target_link_options(QuorlinReportsAfterHooks PRIVATE -municode -Wl,--gc-sections -Wl,--file-alignment=4096)
endif()

# GoogleTest from Debian's sources, built with MinGW.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

# Helpers shared by the Win32 and end-to-end tests (process start, input injection, window lookup).
file(GLOB TEST_SUPPORT CONFIGURE_DEPENDS tests/support/*.cpp)
add_library(qtestsupport STATIC ${TEST_SUPPORT})
target_include_directories(qtestsupport PUBLIC tests/support)
target_link_libraries(qtestsupport PUBLIC qwin gtest ws2_32)

# A fake touchpad driver (in-process COM server) and the helper DLL it loads by name, built beside
# the tests, which install them into a folder of their own. Runtime linked statically.
add_library(SynapticsDoubleDep SHARED tests/doubles/SynapticsDoubleDep.cpp)
add_library(SynapticsDouble SHARED tests/doubles/SynapticsDouble.cpp tests/doubles/SynapticsDouble.def)
target_link_libraries(SynapticsDouble PRIVATE advapi32)
add_dependencies(SynapticsDouble SynapticsDoubleDep)
set_target_properties(SynapticsDouble SynapticsDoubleDep PROPERTIES PREFIX "" IMPORT_PREFIX "")
target_compile_options(SynapticsDouble PRIVATE -Wall -Wextra)
target_compile_options(SynapticsDoubleDep PRIVATE -Wall -Wextra)
# A DLL that marks its own loading, planted by the tests under system DLLs' names.
add_library(PlantedDll SHARED tests/doubles/PlantedDll.cpp)
set_target_properties(PlantedDll PROPERTIES PREFIX "" IMPORT_PREFIX "")
set(TEST_DLL_TARGETS SynapticsDouble SynapticsDoubleDep PlantedDll)

# Programs that tests start as separate processes: tests/e2e/progs/*.cpp, each its own GUI
# executable with the program's resources.
file(GLOB TEST_PROGS CONFIGURE_DEPENDS tests/e2e/progs/*.cpp)
set(TEST_PROG_TARGETS)
foreach(prog ${TEST_PROGS})
  get_filename_component(name ${prog} NAME_WE)
  add_executable(${name} WIN32 ${prog} ${QUORLIN_RC})
  target_link_libraries(${name} PRIVATE qwin)
  target_link_options(${name} PRIVATE -municode)
  list(APPEND TEST_PROG_TARGETS ${name})
endforeach()

# Tier 2 (tests/win) and tier 3 (tests/e2e): one executable per test file, each run under Wine
# in its own throwaway prefix and display, so one test file cannot disturb another.
function(quorlin_wine_tests tier timeout)
  file(GLOB files CONFIGURE_DEPENDS tests/${tier}/*_test.cpp)
  foreach(file ${files})
    get_filename_component(name ${file} NAME_WE)
    set(target ${tier}_${name})
    add_executable(${target} ${file} ${QUORLIN_RC})
    target_link_libraries(${target} PRIVATE qtestsupport gtest_main)
    add_dependencies(${target} ${TEST_PROG_TARGETS} ${TEST_DLL_TARGETS})
    if(TARGET Quorlin)
      add_dependencies(${target} Quorlin QuorlinReportsAfterHooks)
    endif()
    add_test(NAME ${target} COMMAND ${WINE_RUN} $<TARGET_FILE:${target}> --gtest_brief=1)
    set_tests_properties(${target} PROPERTIES TIMEOUT ${timeout} LABELS ${tier})
  endforeach()
endfunction()
quorlin_wine_tests(win 300)
quorlin_wine_tests(e2e 600)
# The windows at 150 %: this test's prefix has a system DPI of 144.
set_tests_properties(win_HighDpi_test PROPERTIES ENVIRONMENT QUORLIN_LOGPIXELS=144)
# The program end to end in each language beside English, which Wine takes from LC_ALL.
foreach(locale de_DE fr_FR es_ES it_IT pt_BR pl_PL ja_JP zh_CN)
  add_test(NAME e2e_Languages_test_${locale} COMMAND ${WINE_RUN} $<TARGET_FILE:e2e_Languages_test> --gtest_brief=1)
  set_tests_properties(e2e_Languages_test_${locale} PROPERTIES ENVIRONMENT LC_ALL=${locale}.UTF-8 TIMEOUT 300 LABELS e2e)
endforeach()
# The windows in every language also at 150 % and 200 %.
foreach(dpi 144 192)
  add_test(NAME win_Languages_test_${dpi} COMMAND ${WINE_RUN} $<TARGET_FILE:win_Languages_test> --gtest_brief=1)
  set_tests_properties(win_Languages_test_${dpi} PROPERTIES ENVIRONMENT QUORLIN_LOGPIXELS=${dpi} TIMEOUT 300 LABELS win)
endforeach()

# A machine up for weeks: the library that shifts the clocks of a Wine session (tests/support/uptime),
# built with the host's compiler for the 32-bit wineserver and Wine processes and for the 64-bit
# rest; scripts/wine-run.sh preloads it when QUORLIN_UPTIME is set. No C library is linked, so no
# 32-bit one needs to be installed.
set(CLOCKSHIFT_DIR ${CMAKE_BINARY_DIR}/clockshift)
set(CLOCKSHIFT_SRC ${CMAKE_SOURCE_DIR}/tests/support/uptime/clockshift.c)
set(CLOCKSHIFT_LIBS)
foreach(arch "32;i386-linux-gnu" "64;x86_64-linux-gnu")
  list(GET arch 0 bits)
  list(GET arch 1 dir)
  set(lib ${CLOCKSHIFT_DIR}/lib/${dir}/clockshift.so)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CLOCKSHIFT_DIR}/lib/${dir}
    COMMAND gcc -m${bits} -O2 -fPIC -shared -nostdlib -ffreestanding -fno-stack-protector -o ${lib} ${CLOCKSHIFT_SRC}
    DEPENDS ${CLOCKSHIFT_SRC} VERBATIM)
  list(APPEND CLOCKSHIFT_LIBS ${lib})
endforeach()
add_custom_target(clockshift ALL DEPENDS ${CLOCKSHIFT_LIBS})
add_dependencies(e2e_Quorlin_test clockshift)
# The end-to-end cases on a machine up 25 days (one session), and each at a wrap of its own: a
# session per case, whose tick count wraps once the program is up. The plain run leaves them out.
set_tests_properties(e2e_Quorlin_test PROPERTIES ENVIRONMENT "GTEST_FILTER=-Uptime/*")
set(UPTIME_ENV QUORLIN_CLOCK_SHIFT_DIR=${CLOCKSHIFT_DIR})
add_test(NAME e2e_Uptime_25days COMMAND ${WINE_RUN} $<TARGET_FILE:e2e_Quorlin_test> --gtest_brief=1 --gtest_filter=Uptime/*)
set_tests_properties(e2e_Uptime_25days PROPERTIES TIMEOUT 600 LABELS e2e ENVIRONMENT "QUORLIN_UPTIME=25d;${UPTIME_ENV}")
foreach(build Quorlin ReportsAfterHooks)
  foreach(case Blocker TypingAware Rule ExternalMouse ExternalKeyboard)
    set(name e2e_Uptime_wrap_${build}_${case})
    add_test(NAME ${name} COMMAND ${WINE_RUN} $<TARGET_FILE:e2e_Quorlin_test> --gtest_brief=1
             --gtest_filter=Uptime/Uptime.*/${build}_${case})
    set_tests_properties(${name} PROPERTIES TIMEOUT 180 LABELS e2e ENVIRONMENT "QUORLIN_UPTIME=wrap:12;${UPTIME_ENV}")
  endforeach()
endforeach()

# The release packages (make dist): their contents and signatures, and the MSI installed, upgraded
# and uninstalled under Wine by a driver of its own (tests/dist).
if(TARGET Quorlin)
  add_executable(dist_Installer_test tests/dist/Installer_test.cpp ${QUORLIN_RC})
  target_link_libraries(dist_Installer_test PRIVATE qtestsupport gtest_main)
  add_dependencies(dist_Installer_test Quorlin)
  add_test(NAME dist_packages COMMAND ${CMAKE_SOURCE_DIR}/tests/dist/dist_test.sh ${CMAKE_BINARY_DIR})
  add_test(NAME dist_signing COMMAND ${CMAKE_SOURCE_DIR}/tests/dist/signing_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(dist_packages PROPERTIES TIMEOUT 300 LABELS e2e)
  set_tests_properties(dist_signing PROPERTIES TIMEOUT 120 LABELS dist)
endif()

# DLL planting guard: every executable we build (the program, the programs tests start and the
# test executables, which are linked the same way) imports only DLLs Windows takes from the
# system folder, and no compiler runtime DLL. The fake driver's DLLs are test doubles of a vendor's
# and are left out.
set(IMPORT_CHECKED ${TEST_PROG_TARGETS})
foreach(tier win e2e)
  file(GLOB files CONFIGURE_DEPENDS tests/${tier}/*_test.cpp)
  foreach(file ${files})
    get_filename_component(name ${file} NAME_WE)
    list(APPEND IMPORT_CHECKED ${tier}_${name})
  endforeach()
endforeach()
if(TARGET Quorlin)
  list(APPEND IMPORT_CHECKED Quorlin QuorlinReportsAfterHooks dist_Installer_test)
endif()
set(IMPORT_CHECKED_FILES)
foreach(target ${IMPORT_CHECKED})
  list(APPEND IMPORT_CHECKED_FILES $<TARGET_FILE:${target}>)
endforeach()
set(CHECK_IMPORTS ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh)
add_test(NAME check_imports COMMAND ${CHECK_IMPORTS} ${IMPORT_CHECKED_FILES})
add_test(NAME check_imports_selftest COMMAND ${CHECK_IMPORTS} --selftest)
if(CMAKE_OBJDUMP)
  set_tests_properties(check_imports check_imports_selftest PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")
endif()

# Measurements: built on demand by `make bench` (target `benchmarks`), never run by the tests.
# bench/*.cpp are console programs with the test helpers (the driver of bench/run.py);
# bench/progs/*.cpp are the reference programs Quorlin is measured against: GUI programs that
# link nothing but the system's DLLs.
add_custom_target(benchmarks)
file(GLOB BENCH_PROGS CONFIGURE_DEPENDS bench/*.cpp)
foreach(prog ${BENCH_PROGS})
  get_filename_component(name ${prog} NAME_WE)
  add_executable(bench_${name} EXCLUDE_FROM_ALL ${prog})
  target_link_libraries(bench_${name} PRIVATE qtestsupport)
  target_link_options(bench_${name} PRIVATE -municode)
  if(TARGET Quorlin)
    add_dependencies(bench_${name} Quorlin)
  endif()
  add_dependencies(benchmarks bench_${name})
endforeach()
file(GLOB BENCH_REFERENCES CONFIGURE_DEPENDS bench/progs/*.cpp)
foreach(prog ${BENCH_REFERENCES})
  get_filename_component(name ${prog} NAME_WE)
  get_filename_component(dir ${prog} DIRECTORY)
  set(rc)
  if(EXISTS ${dir}/${name}.rc)
    set(rc ${dir}/${name}.rc)
  endif()
  add_executable(bench_${name} WIN32 EXCLUDE_FROM_ALL ${prog} ${rc})
  target_link_libraries(bench_${name} PRIVATE user32 shell32 comctl32)
  target_link_options(bench_${name} PRIVATE -municode -s -Wl,--file-alignment=4096)
  target_compile_options(bench_${name} PRIVATE -Wall -Wextra)
  add_dependencies(benchmarks bench_${name})
endforeach()

# The soak driver (tests/soak): `make soak` runs it for long; the test runs it briefly.
add_executable(soak tests/soak/Soak.cpp)
target_link_libraries(soak PRIVATE qtestsupport)
target_link_options(soak PRIVATE -municode)
if(TARGET Quorlin)
  add_dependencies(soak Quorlin)
endif()
add_test(NAME soak_short COMMAND ${WINE_RUN} $<TARGET_FILE:soak> 300)
set_tests_properties(soak_short PROPERTIES TIMEOUT 300 LABELS e2e)
