# The Windows build (cross-compiled with cmake/mingw-w64-x86_64.cmake): the
# panel's logic, the platform fakes and the radio stand-in's model, and the
# unit and scenario tests on them, run under Wine. Every program is linked
# statically, so it runs on a bare Windows with no runtime beside it.

add_link_options(-static)
# GCC 12 warns of overlapping copies inside std::string that cannot happen
# (a known false alarm of its -Wrestrict with inlined string code).
add_compile_options(-Wno-restrict)
# Windows 10 and later.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# The panel's logic: as on Linux, without the POSIX implementations.
file(GLOB_RECURSE CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cc)
list(FILTER CORE_SOURCES EXCLUDE REGEX "_test\\.cc$|/main(_win32)?\\.cc$|_posix\\.cc$|/platform/win32_[^/]*\\.cc$|/platform/(sdl|posix|fontconfig)_[^/]*\\.cc$|/platform/fake(s|_[^/]*)\\.cc$")
add_library(kelvaro_core STATIC ${CORE_SOURCES})
target_include_directories(kelvaro_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

add_library(kelvaro_fakes STATIC ${CMAKE_SOURCE_DIR}/src/platform/fakes.cc ${CMAKE_SOURCE_DIR}/src/platform/fake_tcp.cc)
target_include_directories(kelvaro_fakes PUBLIC ${CMAKE_SOURCE_DIR}/src)

add_library(ftx1sim STATIC ${CMAKE_SOURCE_DIR}/sim/radio.cc ${CMAKE_SOURCE_DIR}/sim/log_line.cc
                           ${CMAKE_SOURCE_DIR}/sim/pacing.cc)
target_include_directories(ftx1sim PUBLIC ${CMAKE_SOURCE_DIR}/sim)
# The stand-in behind the port layer: kelvaro.exe --simulate.
add_library(ftx1sim_ports STATIC ${CMAKE_SOURCE_DIR}/sim/simulated_ports.cc)
target_link_libraries(ftx1sim_ports PUBLIC ftx1sim)
target_include_directories(ftx1sim_ports PUBLIC ${CMAKE_SOURCE_DIR}/src)

include(GNUInstallDirs)
# The phrase recordings, made on the build machine as for Linux.
add_subdirectory(${CMAKE_SOURCE_DIR}/voice ${CMAKE_BINARY_DIR}/voice)

# GoogleTest from Debian's sources, built with the same compiler.
set(KELVARO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${KELVARO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)
enable_testing()

add_library(kelvaro_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/test_support.cc
                                        ${CMAKE_SOURCE_DIR}/tests/command_grammar.cc)
target_include_directories(kelvaro_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(kelvaro_test_support PUBLIC kelvaro_core kelvaro_fakes)
target_compile_definitions(kelvaro_test_support PRIVATE KELVARO_VOICE_DIR="${CMAKE_SOURCE_DIR}/voice")

# The unit and scenario tests, but those of the Linux set-up and the POSIX
# file locations, which test what only Linux has.
file(GLOB_RECURSE UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*_test.cc)
list(FILTER UNIT_TESTS EXCLUDE REGEX "/platform/(sdl|posix|fontconfig|win32)_[^/]*_test\\.cc$|/app/(setup|locations)_test\\.cc$")
list(APPEND UNIT_TESTS ${CMAKE_SOURCE_DIR}/sim/simulated_ports_test.cc)
add_executable(kelvaro_tests ${UNIT_TESTS})
target_link_libraries(kelvaro_tests PRIVATE kelvaro_test_support kelvaro_core kelvaro_fakes ftx1sim ftx1sim_ports gtest gmock gtest_main)
target_compile_definitions(kelvaro_tests PRIVATE KELVARO_WAVE_DIR="${CMAKE_BINARY_DIR}/wave"
                                                 KELVARO_VOICE_DIR="${CMAKE_SOURCE_DIR}/voice"
                                                 KELVARO_EXAMPLES_DIR="${CMAKE_SOURCE_DIR}/examples")
add_dependencies(kelvaro_tests wave)
add_test(NAME windows_unit_tests COMMAND kelvaro_tests)

# The real platform services on Windows: src/platform/win32_*.cc (window and
# text with GDI, the voice with waveOut, COM ports, Winsock, the clock).
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32_*.cc)
list(FILTER PLATFORM_SOURCES EXCLUDE REGEX "_test\\.cc$")
if(PLATFORM_SOURCES)
  add_library(kelvaro_platform STATIC ${PLATFORM_SOURCES})
  target_include_directories(kelvaro_platform PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(kelvaro_platform PUBLIC ws2_32 winmm gdi32 user32 shell32 ole32 uuid setupapi advapi32)
endif()

# kelvaro.exe, once the platform services are all there; the phrase folder
# wave\ is made beside it.
if(PLATFORM_SOURCES AND EXISTS ${CMAKE_SOURCE_DIR}/src/platform/win32_ports.cc
   AND EXISTS ${CMAKE_SOURCE_DIR}/src/platform/win32_tcp.cc AND EXISTS ${CMAKE_SOURCE_DIR}/src/platform/win32_clock.cc)
  add_executable(kelvaro WIN32 ${CMAKE_SOURCE_DIR}/src/app/main_win32.cc)
  target_link_libraries(kelvaro PRIVATE kelvaro_core kelvaro_platform ftx1sim_ports)
  add_dependencies(kelvaro wave)
endif()

# The Windows voice's phrases back to back, measured by
# bench/windows_phrase_gap.sh against a sound server's null sink.
if(PLATFORM_SOURCES)
  add_executable(win32_phrase_gap ${CMAKE_SOURCE_DIR}/bench/win32_phrase_gap.cc)
  target_link_libraries(win32_phrase_gap PRIVATE kelvaro_platform)
endif()

# Their tests, run under Wine (the window's under Xvfb as well).
file(GLOB PLATFORM_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32_*_test.cc)
if(PLATFORM_SOURCES AND PLATFORM_TESTS)
  add_executable(kelvaro_platform_tests ${PLATFORM_TESTS})
  target_link_libraries(kelvaro_platform_tests PRIVATE kelvaro_test_support kelvaro_core kelvaro_platform kelvaro_fakes
                                                       ftx1sim gtest gmock gtest_main)
  target_compile_definitions(kelvaro_platform_tests PRIVATE KELVARO_WAVE_DIR="${CMAKE_BINARY_DIR}/wave")
  add_dependencies(kelvaro_platform_tests wave)
  # Through Wine, on a display of its own when there is none (the window's
  # tests need one); skipped (77) when Wine is missing.
  add_test(NAME windows_platform_tests
           COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/wine-test.sh $<TARGET_FILE:kelvaro_platform_tests>)
  set_tests_properties(windows_platform_tests PROPERTIES SKIP_RETURN_CODE 77)
  # The COM ports against the Linux radio stand-in through a dosdevices link.
  add_test(NAME windows_ports_against_stand_in
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/test_win32_ports.sh $<TARGET_FILE:kelvaro_platform_tests>
                   ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/linux-sim)
  set_tests_properties(windows_ports_against_stand_in PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()

# kelvaro.exe under Wine against the stand-in, and the same keys through the
# Linux build (KELVARO_LINUX_BUILD, built first by scripts/test.sh): what the
# radio received, the speech and the files compared.
set(KELVARO_LINUX_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "The Linux build to compare kelvaro.exe with")
if(TARGET kelvaro)
  add_test(NAME windows_panel_as_on_linux
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/test_windows_panel.sh $<TARGET_FILE:kelvaro>
                   ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/linux-sim ${CMAKE_BINARY_DIR}/wave
                   ${KELVARO_LINUX_BUILD}/kelvaro)
  set_tests_properties(windows_panel_as_on_linux PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 400)
  # kelvaro.exe --simulate: the radio inside the program.
  add_test(NAME windows_simulated_radio
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/test_windows_simulate.sh $<TARGET_FILE:kelvaro>
                   ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/wave ${KELVARO_LINUX_BUILD}/kelvaro)
  set_tests_properties(windows_simulated_radio PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 400)
  # kelvaro.exe --setup: Wine's COM ports, asked and given.
  add_test(NAME windows_setup
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/test_windows_setup.sh $<TARGET_FILE:kelvaro>)
  set_tests_properties(windows_setup PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()

# The installer (cpack, see scripts/build-installer.sh) and its test under Wine.
if(TARGET kelvaro)
  include(${CMAKE_SOURCE_DIR}/cmake/windows_installer.cmake)
  add_test(NAME windows_installer
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/test_installer.sh
                   ${CMAKE_BINARY_DIR}/kelvaro-${KELVARO_VERSION}-win64.exe ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/wave)
  set_tests_properties(windows_installer PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 400)
endif()
