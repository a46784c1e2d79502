# Installs the build twice, as the package does (under /usr, staged with
# DESTDIR) and as a plain install to another prefix, and checks where the
# programs land and that the desktop entry starts the installed program.
# -DBUILD_DIR=... -DWORK_DIR=... [-DAPPSTREAMCLI=...]

# check(message condition...)
function(check message)
  if(NOT (${ARGN}))
    message(FATAL_ERROR "${message}")
  endif()
endfunction()

function(install_to prefix destdir)
  set(ENV{DESTDIR} "${destdir}")
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                  OUTPUT_QUIET RESULT_VARIABLE result)
  unset(ENV{DESTDIR})
  check("cmake --install --prefix ${prefix} failed" result EQUAL 0)
endfunction()

function(check_tree root programs)
  foreach(program quadrivane quadrivane-cli)
    check("${program} is not in ${root}/${programs}" EXISTS ${root}/${programs}/${program})
    check("no manual page for ${program}" EXISTS ${root}/share/man/man6/${program}.6.gz)
  endforeach()
  foreach(file share/doc/quadrivane/copyright share/doc/quadrivane/changelog.gz
               share/metainfo/org.quadrivane.Quadrivane.metainfo.xml)
    check("${file} is not installed" EXISTS ${root}/${file})
  endforeach()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})

# The package's layout: Debian keeps games in /usr/games.
install_to(/usr ${WORK_DIR}/package)
check_tree(${WORK_DIR}/package/usr games)
check("an install under /usr has a bin/ folder" NOT EXISTS ${WORK_DIR}/package/usr/bin)
file(STRINGS ${WORK_DIR}/package/usr/share/applications/quadrivane.desktop exec REGEX "^Exec=")
check("the package's desktop entry has ${exec}" exec STREQUAL "Exec=/usr/games/quadrivane")
if(APPSTREAMCLI)
  # The metadata names the desktop entry it describes; the tree check finds it.
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${WORK_DIR}/package
                  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE result)
  check("appstreamcli validate-tree on the package:\n${output}" result EQUAL 0)
endif()

# Any other prefix: bin/, on the PATH.
install_to(${WORK_DIR}/plain "")
check_tree(${WORK_DIR}/plain bin)
file(STRINGS ${WORK_DIR}/plain/share/applications/quadrivane.desktop exec REGEX "^Exec=")
check("the plain install's desktop entry has ${exec}"
      exec STREQUAL "Exec=${WORK_DIR}/plain/bin/quadrivane")

file(REMOVE_RECURSE ${WORK_DIR})
