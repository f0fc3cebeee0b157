# Project-wide compile settings and the helpers every module uses.

if(WIN32)
  set(QUILLON_PLATFORM win)
  # XP is the oldest system the product starts on; newer calls are looked up
  # at run time. Test servers (QUILLON_NEW_WINDOWS_API) may use newer ones.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    "$<IF:$<BOOL:$<TARGET_PROPERTY:QUILLON_NEW_WINDOWS_API>>,_WIN32_WINNT=0x0A00,_WIN32_WINNT=0x0501>"
    "$<IF:$<BOOL:$<TARGET_PROPERTY:QUILLON_NEW_WINDOWS_API>>,WINVER=0x0A00,WINVER=0x0501>")
else()
  set(QUILLON_PLATFORM posix)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# A fused multiply-add rounds once where the written formula rounds twice;
# figures must come out the same on every target, with or without FMA.
add_compile_options(-ffp-contract=off)

if(QUILLON_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QUILLON_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QUILLON_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUILLON_SANITIZE must be empty, 'address' or 'thread'")
endif()

# quillon_sources(OUT dir name...): for each name, dir/name.cpp and the
# platform file dir/name_win.cpp or dir/name_posix.cpp, whichever exist.
function(quillon_sources out dir)
  set(files)
  foreach(name IN LISTS ARGN)
    foreach(candidate ${name}.cpp ${name}_${QUILLON_PLATFORM}.cpp)
      if(EXISTS ${dir}/${candidate})
        list(APPEND files ${dir}/${candidate})
      endif()
    endforeach()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# quillon_add_tool(name sources... LIBS libs...): a developer program
# (tools/) or a program the tests start (tests/fixtures/), in
# <build>/tools/<name>[.exe].
function(quillon_add_tool name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endfunction()

# quillon_add_test(name SOURCES ... LIBS ... [DISPLAY] [COMPOSITOR]
#                  [LOCKS lock...] [WINDOWS_LOCKS lock...]): one
# GoogleTest executable. On Linux every case is its own ctest entry. Under
# Wine each process start costs about a second, so there the executable is
# one entry. DISPLAY runs the executable (as one entry on every target) on an
# X server of its own (scripts/with-display); COMPOSITOR adds a compositor.
# WINDOWS_LOCKS names what the executable shares with other tests under
# Wine, where the registry and named kernel objects belong to the one prefix
# ("user_records": the installation's registry key; "instance_mutex": the
# installer's single-instance mutex; "system_dpi": the prefix's display
# scale, HKCU\Control Panel\Desktop LogPixels, which every process started
# meanwhile reads). On Linux tests steer those through the
# environment instead, so they run side by side. LOCKS applies everywhere
# ("product_process": a process named as the product, which the installer's
# checks look for across the whole machine).
function(quillon_add_test name)
  cmake_parse_arguments(T "DISPLAY;COMPOSITOR" "TIMEOUT" "SOURCES;LIBS;LOCKS;WINDOWS_LOCKS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quillon_test_support Quillon::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_DISPLAY OR T_COMPOSITOR)
    set(display ${PROJECT_SOURCE_DIR}/scripts/with-display)
    if(T_COMPOSITOR)
      list(APPEND display --compositor)
    endif()
    add_test(NAME ${name} COMMAND ${display} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}> --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS display)
    if(WIN32)
      # A Windows suite shares one screen: tests that read screen pixels or
      # click at screen points must not meet another test's windows there.
      list(APPEND T_WINDOWS_LOCKS suite_display)
    endif()
  elseif(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set(discover_locks ${T_LOCKS})
    if(discover_locks)
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK "${discover_locks}")
    else()
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
  endif()
  if(WIN32)
    list(APPEND T_LOCKS ${T_WINDOWS_LOCKS})
  endif()
  if(T_LOCKS AND (WIN32 OR T_DISPLAY OR T_COMPOSITOR))
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
endfunction()
