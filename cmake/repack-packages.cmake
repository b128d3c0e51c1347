# Run by cpack after it has made the packages, to make their bytes depend on
# their contents only. CPack stores the archive members in the order the file
# system lists them and with the builder's user and group, and counts the
# directories' on-disk sizes in the .deb's Installed-Size, so one build gave
# other bytes on tmpfs than on ext4, or for another user. Each package is
# repacked: members in name order, owned by root, not group- or
# world-writable, dated SOURCE_DATE_EPOCH when it is set, ZIP times in UTC.
# Needs dpkg-deb, GNU tar, gzip and zip.
cmake_minimum_required(VERSION 3.22)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "repacking failed (${rc}): ${command}")
  endif()
endfunction()

# The members below DIR in byte order of their names, so a directory comes
# before what it holds.
function(members dir out)
  file(GLOB_RECURSE found LIST_DIRECTORIES true RELATIVE ${dir} ${dir}/*)
  list(SORT found)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(work ${package}.repack)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work})
  if(package MATCHES "\\.deb$")
    run(dpkg-deb --raw-extract ${package} ${work}/root)
    # Installed-Size counted as dpkg-gencontrol does: KiB per file, rounded
    # up, and one per directory.
    members(${work}/root members)
    set(kib 0)
    foreach(member IN LISTS members)
      if(member MATCHES "^DEBIAN(/|$)")
        continue()
      elseif(IS_DIRECTORY ${work}/root/${member})
        math(EXPR kib "${kib} + 1")
      else()
        file(SIZE ${work}/root/${member} size)
        math(EXPR kib "${kib} + (${size} + 1023) / 1024")
      endif()
    endforeach()
    file(READ ${work}/root/DEBIAN/control control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
    file(WRITE ${work}/root/DEBIAN/control "${control}")
    run(chmod -R go-w ${work}/root)
    # dpkg-deb sorts the members and dates them no later than SOURCE_DATE_EPOCH.
    run(dpkg-deb --root-owner-group -Zgzip -z9 --build ${work}/root ${package})
  elseif(package MATCHES "\\.tar\\.gz$")
    run(tar -xzf ${package} -C ${work})
    file(GLOB top RELATIVE ${work} ${work}/*)
    set(dated "")
    if(NOT epoch STREQUAL "")
      set(dated --mtime=@${epoch})
    endif()
    execute_process(
      COMMAND tar --sort=name --owner=0 --group=0 --numeric-owner --mode=go-w ${dated} --format=gnu
              -C ${work} -cf - ${top}
      COMMAND gzip -9n
      OUTPUT_FILE ${package}
      RESULTS_VARIABLE rcs)
    if(NOT rcs STREQUAL "0;0")
      message(FATAL_ERROR "repacking ${package} failed: ${rcs}")
    endif()
  elseif(package MATCHES "\\.zip$")
    file(ARCHIVE_EXTRACT INPUT ${package} DESTINATION ${work})
    members(${work} members)
    set(files "")
    foreach(member IN LISTS members)
      if(NOT IS_DIRECTORY ${work}/${member})
        string(APPEND files "${member}\n")
      endif()
    endforeach()
    file(WRITE ${package}.list "${files}")
    run(chmod -R go-w ${work})
    if(NOT epoch STREQUAL "")
      run(find ${work} -exec touch -h -d @${epoch} {} +)
    endif()
    # -X: no user, group or extra times; -D: no directory entries, as CPack
    # made it. A ZIP holds local times: UTC for all.
    file(REMOVE ${package})
    execute_process(COMMAND env TZ=UTC zip -X -D -9 -q ${package} -@
                    WORKING_DIRECTORY ${work} INPUT_FILE ${package}.list RESULT_VARIABLE rc)
    file(REMOVE ${package}.list)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "repacking ${package} failed: zip ended with ${rc}")
    endif()
  else()
    message(FATAL_ERROR "no rule to repack ${package}")
  endif()
  file(REMOVE_RECURSE ${work})
endforeach()
