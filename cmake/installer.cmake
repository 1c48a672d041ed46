# The Windows installer's payload: installer/payload.nsh in this build names
# the files the installer carries from it and the version, for
# installer/makensis.sh. meridctl and meridd are carried where this tree builds
# them for Windows.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(kind x64)
else()
  set(kind x86)
endif()
set(payload "; Made by cmake/installer.cmake: the files of the ${kind} build.\n")
string(APPEND payload "!define ${kind}_VERSION \"${PROJECT_VERSION}\"\n")
string(APPEND payload "!define ${kind}_DLL \"$<TARGET_FILE:MeridDLLManager>\"\n")
string(APPEND payload "!define ${kind}_SIM \"$<TARGET_FILE:ecr_sim>\"\n")
# Target installer_payload builds what the payload names, and nothing else.
add_custom_target(installer_payload)
add_dependencies(installer_payload MeridDLLManager ecr_sim)
foreach(tool meridctl meridd)
  if(TARGET ${tool})
    string(TOUPPER ${tool} name)
    string(APPEND payload "!define ${kind}_${name} \"$<TARGET_FILE:${tool}>\"\n")
    add_dependencies(installer_payload ${tool})
  endif()
endforeach()
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/installer/payload.nsh CONTENT "${payload}")

# The installers need both builds: the test lives in the 32-bit one, which
# scripts/test builds after the 64-bit one.
set(MERID_MINGW_X64_BUILD ${PROJECT_SOURCE_DIR}/build/mingw-x64 CACHE PATH "The 64-bit Windows build the installers carry")
if(MERID_BUILD_TESTS AND kind STREQUAL "x86" AND CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX)
  set(test ${PROJECT_SOURCE_DIR}/tests/install/windows_installer_test.sh)
  set(builds ${CMAKE_BINARY_DIR} ${MERID_MINGW_X64_BUILD} ${PROJECT_SOURCE_DIR})
  # The x64 installer under wine64; the x86 one under the 32-bit Wine of
  # scripts/wine32 (SKIPPED with the reason where it cannot be set up).
  add_test(NAME windows_installer COMMAND ${test} x64 ${builds})
  add_test(NAME windows_installer_x86 COMMAND ${test} x86 ${builds})
  set_tests_properties(windows_installer windows_installer_x86 PROPERTIES SKIP_RETURN_CODE 77 FAIL_REGULAR_EXPRESSION "FAIL")
  set_tests_properties(windows_installer PROPERTIES TIMEOUT 600)
  # The 32-bit Wine runs under qemu: one such test at a time.
  set_tests_properties(windows_installer_x86 PROPERTIES TIMEOUT 900 RESOURCE_LOCK wine32)
endif()
