# Tests of what `cmake --install` puts in place. Included by packaging/, where
# the installed files are set up; the scripts live here with the other tests.

find_program(VELMORA_DESKTOP_VALIDATE desktop-file-validate)
find_program(VELMORA_GROFF groff)
set(here ${PROJECT_SOURCE_DIR}/tests/cli)

# A missing checker skips its test visibly instead of passing it.
function(velmora_skipped_test name tool)
    add_test(NAME ${name} COMMAND sh -c "echo '${tool} is not installed'; exit 77")
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()

if(VELMORA_DESKTOP_VALIDATE)
    add_test(NAME packaging.desktop_entry
             COMMAND ${CMAKE_COMMAND}
                     -DVALIDATOR=${VELMORA_DESKTOP_VALIDATE}
                     -DMODULE=${CMAKE_CURRENT_SOURCE_DIR}/installed_files.cmake
                     -DTEMPLATE=${VELMORA_DESKTOP_TEMPLATE}
                     -DCONFIGURED=${VELMORA_DESKTOP_ENTRY}
                     -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/desktop-entry-test
                     -P ${here}/desktop_entry_test.cmake)
else()
    velmora_skipped_test(packaging.desktop_entry desktop-file-validate)
endif()

if(VELMORA_GROFF)
    # -ww: every warning; CHECKSTYLE: the man macros' own checks.
    add_test(NAME packaging.manual_page
             COMMAND ${VELMORA_GROFF} -man -ww -z -rCHECKSTYLE=3 ${VELMORA_MANUAL_PAGE})
    set_tests_properties(packaging.manual_page PROPERTIES FAIL_REGULAR_EXPRESSION ".")
else()
    velmora_skipped_test(packaging.manual_page groff)
endif()

set(tablesPresent TRUE)
foreach(table IN LISTS VELMORA_TABLE_FILES)
    if(NOT EXISTS ${table})
        set(tablesPresent FALSE)
    endif()
endforeach()
set(windowPresent FALSE)
if(TARGET velmora)
    set(windowPresent TRUE)
endif()
set(iconPresent FALSE)
if(windowPresent AND EXISTS ${VELMORA_ICON})
    set(iconPresent TRUE)
endif()

add_test(NAME packaging.install_layout
         COMMAND ${CMAKE_COMMAND}
                 -DBUILD_DIR=${PROJECT_BINARY_DIR}
                 -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                 -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install-test
                 -DVALIDATOR=${VELMORA_DESKTOP_VALIDATE}
                 -DBINDIR=${CMAKE_INSTALL_BINDIR}
                 -DDATADIR=${CMAKE_INSTALL_DATADIR}
                 -DMANDIR=${CMAKE_INSTALL_MANDIR}
                 -DEXPECT_TABLES=${tablesPresent}
                 -DEXPECT_WINDOW=${windowPresent}
                 -DEXPECT_ICON=${iconPresent}
                 -P ${here}/install_layout_test.cmake)
# Installing runs the install scripts of the whole build tree.
set_tests_properties(packaging.install_layout PROPERTIES RUN_SERIAL TRUE)
