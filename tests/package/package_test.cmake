# MODE=contents: CPack makes the Debian package of TREE in SCRATCH; it holds the programs in
# /usr/bin, their helpers in /usr/lib/endcap-station, the desktop entry and the manual pages,
# and its control file names the packages the programs need.
# MODE=installed: the package unpacked into a scratch root; endcap-cli runs from there.

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}: exit ${rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "contents")
  file(REMOVE_RECURSE ${SCRATCH})
  run(cpack --config ${TREE}/CPackConfig.cmake -G DEB -B ${SCRATCH})
  file(GLOB packages ${SCRATCH}/endcap-station_*.deb)
  list(LENGTH packages count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one endcap-station_*.deb in ${SCRATCH}, found [${packages}]")
  endif()
  run(dpkg-deb --contents ${packages})
  foreach(path
      ./usr/bin/endcap-station ./usr/bin/endcap-cli ./usr/bin/endcap-unit-sim
      ./usr/lib/endcap-station/endcap-calc-bridge ./usr/lib/endcap-station/endcap-unit-sim-bench.so
      ./usr/share/applications/endcap-station.desktop ./usr/share/pixmaps/endcap-station.xpm
      ./usr/share/man/man1/endcap-station.1.gz ./usr/share/man/man1/endcap-cli.1.gz
      ./usr/share/man/man1/endcap-unit-sim.1.gz)
    string(FIND "${out}" " ${path}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the package lacks ${path}:\n${out}")
    endif()
  endforeach()
  run(dpkg-deb --field ${packages} Depends)
  foreach(dependency python3-uno "libreoffice-calc | libreoffice-calc-nogui" libqt6charts6 libsqlite3-0)
    string(FIND "${out}" "${dependency}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "Depends does not name ${dependency}: ${out}")
    endif()
  endforeach()
elseif(MODE STREQUAL "installed")
  file(GLOB packages ${SCRATCH}/endcap-station_*.deb)
  set(root ${SCRATCH}/root)
  file(REMOVE_RECURSE ${root})
  run(dpkg-deb --extract ${packages} ${root})
  run(${root}/usr/bin/endcap-cli --help)
  if(NOT out MATCHES "Usage: endcap-cli ")
    message(FATAL_ERROR "endcap-cli --help from the unpacked package printed: ${out}")
  endif()
else()
  message(FATAL_ERROR "MODE must be contents or installed")
endif()
