# The program's help: HTML pages in help/ (one style sheet, no scripts).
#
# Windows builds compile them with chmcmd into Zwillo.chm beside zwillo.exe,
# where the program looks for it, and install it to bin/. The project's [MAP]
# includes src/ui/win32/help_contexts.h, so the context numbers of F1 and the
# help file are one list; after compiling, scripts/check_help.py compares the
# numbers the compiler read with the header and looks for every page inside
# the file, and a difference fails the build.
#
# Native builds copy the pages to help/ beside the program and install them to
# share/doc/zwillo/html, which the program's --help names.

option(ZW_HELP "build the help (Zwillo.chm on Windows, HTML pages elsewhere)" ON)

set(ZW_HELP_DIR ${CMAKE_SOURCE_DIR}/help)
set(ZW_HELP_CONTEXTS ${CMAKE_SOURCE_DIR}/src/ui/win32/help_contexts.h)
file(GLOB ZW_HELP_PAGES CONFIGURE_DEPENDS ${ZW_HELP_DIR}/*.html ${ZW_HELP_DIR}/*.css)
file(GLOB ZW_HELP_PROJECT CONFIGURE_DEPENDS ${ZW_HELP_DIR}/*.hhp ${ZW_HELP_DIR}/*.hhc
     ${ZW_HELP_DIR}/*.hhk)

if(ZW_HELP AND WIN32)
  find_program(ZW_CHMCMD chmcmd)
  if(NOT ZW_CHMCMD)
    message(FATAL_ERROR "chmcmd (Debian package fp-utils) compiles Zwillo.chm; scripts/setup.sh "
                        "installs it. Configure with -DZW_HELP=OFF to build without the help.")
  endif()
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  # The compiler reads the project's includes relative to its working folder,
  # so the pages and the header are laid out as in the source tree.
  set(stage ${CMAKE_BINARY_DIR}/help-chm)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Zwillo.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${ZW_HELP_DIR} ${stage}/help
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/src/ui/win32
    COMMAND ${CMAKE_COMMAND} -E copy ${ZW_HELP_CONTEXTS} ${stage}/src/ui/win32/help_contexts.h
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage}/help ${ZW_CHMCMD} --generate-xml zwillo.hhp
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check_help.py ${stage}/help
            ${stage}/src/ui/win32/help_contexts.h --xml ${stage}/help/zwillo.hhp.xml
            --chm ${stage}/help/Zwillo.chm
    COMMAND ${CMAKE_COMMAND} -E copy ${stage}/help/Zwillo.chm ${CMAKE_BINARY_DIR}/Zwillo.chm
    DEPENDS ${ZW_HELP_PAGES} ${ZW_HELP_PROJECT} ${ZW_HELP_CONTEXTS}
            ${CMAKE_SOURCE_DIR}/scripts/check_help.py
    COMMENT "Compiling the help file Zwillo.chm"
    VERBATIM)
  add_custom_target(zw_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Zwillo.chm)
  if(TARGET zwillo_gui)
    add_dependencies(zwillo_gui zw_help)
  endif()
  install(FILES ${CMAKE_BINARY_DIR}/Zwillo.chm DESTINATION bin)
elseif(ZW_HELP)
  set(copied)
  foreach(page ${ZW_HELP_PAGES})
    get_filename_component(name ${page} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/help/${name}
                       COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page} ${CMAKE_BINARY_DIR}/help/${name}
                       DEPENDS ${page} VERBATIM)
    list(APPEND copied ${CMAKE_BINARY_DIR}/help/${name})
  endforeach()
  add_custom_target(zw_help ALL DEPENDS ${copied})
  install(FILES ${ZW_HELP_PAGES} DESTINATION share/doc/zwillo/html)
endif()
