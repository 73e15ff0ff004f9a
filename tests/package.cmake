# Builds the Debian package from the build folder BUILD and checks what it holds: the program, its
# help, the menu entry and the icons, where an installed copy looks for them, and the libraries it
# asks for.
set(out ${BUILD}/package)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND cpack -G DEB --config ${BUILD}/CPackConfig.cmake -B ${out}
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB deb ${out}/brelune_*.deb)
if(failed OR NOT deb)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()
execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
foreach(path usr/bin/brelune usr/share/brelune/brelune.hlp usr/share/applications/org.example.brelune.desktop
             usr/share/man/man1/brelune.1.gz usr/share/doc/brelune/changelog.gz
             usr/share/doc/brelune/copyright usr/share/metainfo/org.example.brelune.metainfo.xml
             usr/share/icons/hicolor/scalable/apps/brelune.svg
             usr/share/icons/hicolor/48x48/apps/brelune.png
             usr/share/icons/hicolor/128x128/apps/brelune.png)
  if(NOT listing MATCHES " \\./${path}\n")
    message(FATAL_ERROR "${path} missing from the package:\n${listing}")
  endif()
endforeach()
if(listing MATCHES "test_|bench_|\\.a\n")
  message(FATAL_ERROR "the package holds more than the program:\n${listing}")
endif()
if(listing MATCHES "(^|\n)(d....w|d.......w)")
  message(FATAL_ERROR "a folder of the package may be written by others:\n${listing}")
endif()
execute_process(COMMAND dpkg-deb -f ${deb} Depends OUTPUT_VARIABLE depends COMMAND_ERROR_IS_FATAL ANY)
foreach(library libqt6widgets6 libqt6printsupport6 libsqlite3-0)
  if(NOT depends MATCHES "${library}")
    message(FATAL_ERROR "the package does not ask for ${library}: ${depends}")
  endif()
endforeach()
message(STATUS "${deb}: ${depends}")
# What a distribution checks: lintian finds no error and no warning.
execute_process(COMMAND lintian --fail-on error,warning --tag-display-limit 0 ${deb}
                RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(failed)
  message(FATAL_ERROR "lintian:\n${said}")
endif()
message(STATUS "lintian: ${said}")
