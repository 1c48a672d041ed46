# merid_program(TARGET LIB DESCRIPTION SOURCE): one of our programs, made of
# main.cpp and LIB, in bin/ beside the virtual printer it loads by default,
# with its version resource; SOURCE, the file that looks for the virtual
# printer, is told where the installed one lies (bin/ -> lib/merid).
file(RELATIVE_PATH MERID_SIM_FROM_BIN /p/${CMAKE_INSTALL_BINDIR} /p/${CMAKE_INSTALL_LIBDIR}/merid)
function(merid_program target lib description source)
  add_executable(${target} main.cpp)
  target_link_libraries(${target} PRIVATE ${lib} merid_warnings)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MERID_BIN_DIR})
  merid_version_resource(${target} "${description}" ${target}.exe)
  add_dependencies(${target} ecr_sim)
  set_property(SOURCE ${source} APPEND PROPERTY COMPILE_DEFINITIONS MERID_SIM_FROM_BIN="${MERID_SIM_FROM_BIN}")
endfunction()
